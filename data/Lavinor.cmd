# Lavinor コマンドファイル
# 番号  名前  引数  キー  説明 の順に書きます。名前は自由に変えられます。
# 引数が { で始まるコマンドは一覧から選んだ後で引数を入力します。
# f･ n はファンクションキー n に名前を割り当てます。F15 は DELTEMP と TAKE です。

# ファイル
1       EXIT                         Lavinorの終了
2       NEW       [file]             新規作成
3       OPEN      [file|0]           開く (0 か ? でファイル選択)
4       CLOSE     [0]                上書き保存して閉じる (0: 保存せずに閉じる)
5       DBUNIT    [units]            ユーザー単位あたりのデータベース単位
106     COMPACT   [0|1]              ファイルを詰める (1: 消したセルも除く)

# セル
6       MKCELL    [cell]             セルを新規作成する
7       OCELL     [cell]             セルを開く (名前を指定)
12      CELLS     [cell]       f･ 12 セルを開く (一覧から選ぶ)
8       COPYCELL  [from to]          セルのコピーを作る
9       RENCELL   [old new]          セル名を変更する
10      DELCELL   [cell]             セルを消す
11      UNDELCELL [cell]             消したセルを復活する
15      IMPCELL   [file cells]       他のファイルからセルをコピーする
13      TREE                         セルの木構造ファイルを作り表示する
14      SHOWTREE                     作成済みの木構造ファイルを表示する

# 表示
17      FIT                    f･ 1  全体図を表示する
20      REDRAW                 f･ 2  再表示する
19      ZOOM      [factor]     f･ 3  表示の拡大 縮小をする
18      WINDOW                 f･ 4  枠で囲った範囲を表示する
21      CENTER    [0-8]        f･ 5  表示位置の中心を変える
22      VIEWPOS   [0-8]              中心を変える時の既定の位置
16      CLS                          コマンドウィンドウの表示を消す (Home キー)
66      GSCALE    [step]             マウス入力の刻み
67      GRIDSTEP  [n]                グリッドの間隔 (刻みの倍数)
68      GRIDON                       グリッドを表示する
69      GRIDOFF                      グリッドを消す
70      CURSOR    [size]             カーソルの大きさ
57      SHOWSCELL [0|1]              単一配置セルの表示
58      SHOWACELL [0|1|2]            配列配置セルの表示
59      SHOWAMAP  [0|1]              配列配置の表示方法
60      SHOWBASE  [depth]            セル原点を表示する深さ
61      SHOWBNAME [depth]            セル名を表示する深さ
62      SHOWTBASE [0|1]              文字の原点の表示
63      LINEMODE  [0-2]              線の描き方
64      NEST      [depth]            表示する階層の深さ
65      DRAWMASK  [+-bits]           描画の切替え (なしでダイアログ)
72      ACUTE     [0|1]              鋭角の線端の描き方
78      SHOWLOC   [0|1]              座標値の表示先 (0: コマンド行 1: ウィンドウ)
124     TOOLBAR                      ツールバー

# 層
23      DISP      {layers}           表示層を指定する (なしで全層)
24      SEL       {layers}           選択層を指定する (なしで全層)
28      ONLY      {layer}            一つの層だけを一度表示する
29      ADDDISP   {+-layers}         表示層を加える (-n で除く)
30      ADDSEL    {+-layers}         選択層を加える (-n で除く)
25      HATCH     {layers}           塗りこみする層を指定する
31      ADDHATCH  {+-layers}         塗りこみする層を加える (-n で除く)
26      HFALL     {layers}           塗りこみ線を右下がりにする
27      HRISE     {layers}           塗りこみ線を右上がりにする
32      HLINES    [n]                塗りこみ線の本数
37      FILLMODE  [0-2]              塗りこみの方法
33      DLGHLINES                    層ごとの塗りこみ線の本数を決める
34      DLGHATCH                     層ごとの塗りこみ状態を決める
35      DLGLAYERS                    選択層 or 表示層を決める
36      DLGPEN                       層ごとの色 or 線種類を決める
74      LNAME     [n name]           層の名前
38      LTSOLID   {layers}           層の線種を実線にする
39      LTDASHED  {layers}           層の線種を破線にする
40      LTDOTTED  {layers}           層の線種を点線にする
41      LTDASHDOT {layers}           層の線種を一点鎖線にする
42      LT2DOT    {layers}           層の線種を二点鎖線にする
49      COLFORE   {layers}           層の色を前景色 (白 か 黒) にする
43      COLRED    {layers}           層の色を赤にする
47      COLGREEN  {layers}           層の色を緑にする
44      COLBLUE   {layers}           層の色を青にする
45      COLYELLOW {layers}           層の色を黄にする
46      COLCYAN   {layers}           層の色を水色にする
48      COLMAG    {layers}           層の色を赤紫にする
56      COLGREY   {layers}           層の色を灰色にする
50      COLMAROON {layers}           層の色を暗い赤にする
54      COLDGREEN {layers}           層の色を暗い緑にする
51      COLNAVY   {layers}           層の色を暗い青にする
52      COLOLIVE  {layers}           層の色を暗い黄にする
53      COLTEAL   {layers}           層の色を暗い水色にする
55      COLPURPLE {layers}           層の色を暗い赤紫にする

# 図形の属性
81      LAYER     [layer]      f･ 13 新しい図形の層
82      ETYPE     [0-5]              図形の種類 (0 配列 1 単一 2 文字 3 矩形 4 多角形 5 線)
83      WIDTH     [width]            ラインの幅を指定
84      TIP       [type]             ラインの端の形
85      TEXT      [string]           文字図形の文字列
71      THEIGHT   [height]           文字の高さ
86      PLACECELL [cell|?]           配置するセルの名前 (? で一覧)
87      REFLECT   [0|1]              配置の反転
88      ANGLE     [angle]            配置の角度
89      MAGNIFY   [factor]           配置の倍率
90      ARRAY     [nx ny ...]        配列配置の個数とピッチ
108     LOCK      [n]                入力する線の角度の制限
76      ABSMODE   [0-3]              座標値の入力方法 (0 絶対 1-3 相対)

# 仮入力層
91      XY        [x y ...]    f･ 6  仮入力層に座標値を入力
93      BACK      [n]          f･ 9  最後に入力した座標値を取り消す
94      OUTPUT                 f･ 7  仮入力層の図形を出力
100     OUTKEEP                      仮入力層の図形を出力し仮入力層に残す
109     OUTCELL   {cell}             仮入力層の図形を指定のセルに出力
92      DELTEMP                f･ 8  仮入力層の図形を削除
95      TAKE                   f･ 10 既存の図形を仮入力層に入力
96      UNDO                   f･ 11 取り込みや結合を元に戻す
79      PICKLINE                     線を仮入力層に入力
75      LISTXY    [C] [n m]          仮入力層の座標値を表示する
77      GETXY                  f･ 14 図形の座標値を得る
97      MOVEEDGE                     辺を移動する
98      MOVEPT    [0-4]              頂点を移動する
99      TRANSFORM [0-3]              鏡像 回転 拡大 太らせ (0-3)
107     REORDER   [n]                頂点の順番を変える
110     EXPLODE                      線を輪郭に 配列配置を単一配置にする
104     JOIN                         図形をつなぐ
105     MERGE     [& + - ^]          多角形の合成
102     ARC                          円弧を入力する
103     CURVEOPT  [a b n c]          円弧の条件 (円弧/楕円 向き 分割数 内/外)
101     VTEXT     [str h w P]        文字を多角形にする

# 入出力
117     GDSIN     [file] [n]         GDSII ストリームを読む
118     GDSOUT    [file] [n]         GDSII ストリームに書く
119     GDSUNIT   [units]            ストリームのデータベース単位
120     DXFIN     [file] [n]         DXF を読む
121     DXFOUT    [file] [n]         DXF に書く
111     PRINT     [0-2]              印刷
123     BMP       [file]             表示をビットマップファイルに保存
122     PAINT     [0|1|2]            色を塗る (0 再現しない 1 再現する 他 消去)

# マクロとその他
112     MACRO     {name}             マクロを実行する
113     ECHO      {text}             文字列をコマンドウィンドウに表示
114     TFILE     {file [$n]}        テキストファイルを指定する
115     TREAD     {&var [$n]}        テキストファイルから一行読む
116     TWRITE    {[$n] text}        テキストファイルに一行書く
73      FKEY      [key text]         ファンクションキーの設定
80      CMDLIST                      コマンドの一覧
