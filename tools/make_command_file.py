#!/usr/bin/env python3
"""Writes data/Lavinor.cmd, the command file shipped with Lavinor, in Shift-JIS (CP932).

Run once after editing the table below:  python3 tools/make_command_file.py
Columns (bytes): number from 0, name from 8, argument pattern from 18 (a pattern starting with
'{' means the command list dialog leaves the line for the arguments to be typed), the function
key "f･ N" from 31, the description from 37. The command list dialog turns the blanks at bytes 7,
29, 30 and 36 into tabs, so those bytes stay blank.
"""
import os
import sys

SECTIONS = [
    ("ファイル", [
        (1, "EXIT", "", 0, "Lavinorの終了"),
        (2, "NEW", "[file]", 0, "新規作成"),
        (3, "OPEN", "[file|0]", 0, "開く (0 か ? でファイル選択)"),
        (4, "CLOSE", "[0]", 0, "上書き保存して閉じる (0: 保存せずに閉じる)"),
        (5, "DBUNIT", "[units]", 0, "ユーザー単位あたりのデータベース単位"),
        (106, "COMPACT", "[0|1]", 0, "ファイルを詰める (1: 消したセルも除く)"),
    ]),
    ("セル", [
        (6, "MKCELL", "[cell]", 0, "セルを新規作成する"),
        (7, "OCELL", "[cell]", 0, "セルを開く (名前を指定)"),
        (12, "CELLS", "", 12, "セルを開く (一覧から選ぶ)"),
        (8, "COPYCELL", "", 0, "セルのコピーを作る"),
        (9, "RENCELL", "", 0, "セル名を変更する"),
        (10, "DELCELL", "", 0, "セルを消す"),
        (11, "UNDELCELL", "", 0, "消したセルを復活する"),
        (15, "IMPCELL", "", 0, "他のファイルからセルをコピーする"),
        (13, "TREE", "", 0, "セルの木構造ファイルを作り表示する"),
        (14, "SHOWTREE", "", 0, "作成済みの木構造ファイルを表示する"),
    ]),
    ("表示", [
        (17, "FIT", "", 1, "全体図を表示する"),
        (20, "REDRAW", "", 2, "再表示する"),
        (19, "ZOOM", "[factor]", 3, "表示の拡大 縮小をする"),
        (18, "WINDOW", "", 4, "枠で囲った範囲を表示する"),
        (21, "CENTER", "[0-8]", 5, "表示位置の中心を変える"),
        (22, "VIEWPOS", "[0-8]", 0, "中心を変える時の既定の位置"),
        (16, "CLS", "", 0, "コマンドウィンドウの表示を消す (Home キー)"),
        (66, "GSCALE", "[step]", 0, "マウス入力の刻み"),
        (67, "GRIDSTEP", "[n]", 0, "グリッドの間隔 (刻みの倍数)"),
        (68, "GRIDON", "", 0, "グリッドを表示する"),
        (69, "GRIDOFF", "", 0, "グリッドを消す"),
        (70, "CURSOR", "[size]", 0, "カーソルの大きさ"),
        (57, "SHOWSCELL", "[0|1]", 0, "単一配置セルの表示"),
        (58, "SHOWACELL", "[0|1|2]", 0, "配列配置セルの表示"),
        (59, "SHOWAMAP", "[0|1]", 0, "配列配置の表示方法"),
        (60, "SHOWBASE", "[depth]", 0, "セル原点を表示する深さ"),
        (61, "SHOWBNAME", "[depth]", 0, "セル名を表示する深さ"),
        (62, "SHOWTBASE", "[0|1]", 0, "文字の原点の表示"),
        (63, "LINEMODE", "[0-2]", 0, "線の描き方"),
        (64, "NEST", "[depth]", 0, "表示する階層の深さ"),
        (65, "DRAWMASK", "[+-bits]", 0, "描画の切替え (なしでダイアログ)"),
        (72, "ACUTE", "[0|1]", 0, "鋭角の線端の描き方"),
        (78, "SHOWLOC", "[0|1]", 0, "座標値の表示先 (0: コマンド行 1: ウィンドウ)"),
        (124, "TOOLBAR", "", 0, "ツールバー"),
    ]),
    ("層", [
        (23, "DISP", "{layers}", 0, "表示層を指定する (なしで全層)"),
        (24, "SEL", "{layers}", 0, "選択層を指定する (なしで全層)"),
        (28, "ONLY", "{layer}", 0, "一つの層だけを一度表示する"),
        (29, "ADDDISP", "{+-layers}", 0, "表示層を加える (-n で除く)"),
        (30, "ADDSEL", "{+-layers}", 0, "選択層を加える (-n で除く)"),
        (25, "HATCH", "{layers}", 0, "塗りこみする層を指定する"),
        (31, "ADDHATCH", "{+-layers}", 0, "塗りこみする層を加える (-n で除く)"),
        (26, "HFALL", "{layers}", 0, "塗りこみ線を右下がりにする"),
        (27, "HRISE", "{layers}", 0, "塗りこみ線を右上がりにする"),
        (32, "HLINES", "[n]", 0, "塗りこみ線の本数"),
        (37, "FILLMODE", "[0-2]", 0, "塗りこみの方法"),
        (33, "DLGHLINES", "", 0, "層ごとの塗りこみ線の本数を決める"),
        (34, "DLGHATCH", "", 0, "層ごとの塗りこみ状態を決める"),
        (35, "DLGLAYERS", "", 0, "選択層 or 表示層を決める"),
        (36, "DLGPEN", "", 0, "層ごとの色 or 線種類を決める"),
        (74, "LNAME", "[n name]", 0, "層の名前"),
        (38, "LTSOLID", "{layers}", 0, "層の線種を実線にする"),
        (39, "LTDASHED", "{layers}", 0, "層の線種を破線にする"),
        (40, "LTDOTTED", "{layers}", 0, "層の線種を点線にする"),
        (41, "LTDASHDOT", "{layers}", 0, "層の線種を一点鎖線にする"),
        (42, "LT2DOT", "{layers}", 0, "層の線種を二点鎖線にする"),
        (49, "COLFORE", "{layers}", 0, "層の色を前景色 (白 か 黒) にする"),
        (43, "COLRED", "{layers}", 0, "層の色を赤にする"),
        (47, "COLGREEN", "{layers}", 0, "層の色を緑にする"),
        (44, "COLBLUE", "{layers}", 0, "層の色を青にする"),
        (45, "COLYELLOW", "{layers}", 0, "層の色を黄にする"),
        (46, "COLCYAN", "{layers}", 0, "層の色を水色にする"),
        (48, "COLMAG", "{layers}", 0, "層の色を赤紫にする"),
        (56, "COLGREY", "{layers}", 0, "層の色を灰色にする"),
        (50, "COLMAROON", "{layers}", 0, "層の色を暗い赤にする"),
        (54, "COLDGREEN", "{layers}", 0, "層の色を暗い緑にする"),
        (51, "COLNAVY", "{layers}", 0, "層の色を暗い青にする"),
        (52, "COLOLIVE", "{layers}", 0, "層の色を暗い黄にする"),
        (53, "COLTEAL", "{layers}", 0, "層の色を暗い水色にする"),
        (55, "COLPURPLE", "{layers}", 0, "層の色を暗い赤紫にする"),
    ]),
    ("図形の属性", [
        (81, "LAYER", "[layer]", 13, "新しい図形の層"),
        (82, "ETYPE", "[0-5]", 0, "図形の種類 (0 配列 1 単一 2 文字 3 矩形 4 多角形 5 線)"),
        (83, "WIDTH", "[width]", 0, "ラインの幅を指定"),
        (84, "TIP", "[type]", 0, "ラインの端の形"),
        (85, "TEXT", "", 0, "文字図形の文字列"),
        (71, "THEIGHT", "[height]", 0, "文字の高さ"),
        (86, "PLACECELL", "[cell|?]", 0, "配置するセルの名前 (? で一覧)"),
        (87, "REFLECT", "[0|1]", 0, "配置の反転"),
        (88, "ANGLE", "[angle]", 0, "配置の角度"),
        (89, "MAGNIFY", "[factor]", 0, "配置の倍率"),
        (90, "ARRAY", "[nx ny ...]", 0, "配列配置の個数とピッチ"),
        (108, "LOCK", "[n]", 0, "入力する線の角度の制限"),
        (76, "ABSMODE", "[0-3]", 0, "座標値の入力方法 (0 絶対 1-3 相対)"),
    ]),
    ("仮入力層", [
        (91, "XY", "[x y ...]", 6, "仮入力層に座標値を入力"),
        (93, "BACK", "[n]", 9, "最後に入力した座標値を取り消す"),
        (94, "OUTPUT", "", 7, "仮入力層の図形を出力"),
        (100, "OUTKEEP", "", 0, "仮入力層の図形を出力し仮入力層に残す"),
        (109, "OUTCELL", "{cell}", 0, "仮入力層の図形を指定のセルに出力"),
        (92, "DELTEMP", "", 8, "仮入力層の図形を削除"),
        (95, "TAKE", "", 10, "既存の図形を仮入力層に入力"),
        (96, "UNDO", "", 11, "取り込みや結合を元に戻す"),
        (79, "PICKLINE", "", 0, "線を仮入力層に入力"),
        (75, "LISTXY", "[C] [n m]", 0, "仮入力層の座標値を表示する"),
        (77, "GETXY", "", 14, "図形の座標値を得る"),
        (97, "MOVEEDGE", "", 0, "辺を移動する"),
        (98, "MOVEPT", "[0-4]", 0, "頂点を移動する"),
        (99, "TRANSFORM", "[0-3]", 0, "鏡像 回転 拡大 太らせ (0-3)"),
        (107, "REORDER", "[n]", 0, "頂点の順番を変える"),
        (110, "EXPLODE", "", 0, "線を輪郭に 配列配置を単一配置にする"),
        (104, "JOIN", "", 0, "図形をつなぐ"),
        (105, "MERGE", "[& + - ^]", 0, "多角形の合成"),
        (102, "ARC", "", 0, "円弧を入力する"),
        (103, "CURVEOPT", "[a b n c]", 0, "円弧の条件 (円弧/楕円 向き 分割数 内/外)"),
        (101, "VTEXT", "[str h w P]", 0, "文字を多角形にする"),
    ]),
    ("入出力", [
        (117, "GDSIN", "[file] [n]", 0, "GDSII ストリームを読む"),
        (118, "GDSOUT", "[file] [n]", 0, "GDSII ストリームに書く"),
        (119, "GDSUNIT", "[units]", 0, "ストリームのデータベース単位"),
        (120, "DXFIN", "[file] [n]", 0, "DXF を読む"),
        (121, "DXFOUT", "[file] [n]", 0, "DXF に書く"),
        (111, "PRINT", "[0-2]", 0, "印刷"),
        (123, "BMP", "[file]", 0, "表示をビットマップファイルに保存"),
        (122, "PAINT", "[0|1|2]", 0, "色を塗る (0 再現しない 1 再現する 他 消去)"),
    ]),
    ("マクロとその他", [
        (112, "MACRO", "{name}", 0, "マクロを実行する"),
        (113, "ECHO", "{text}", 0, "文字列をコマンドウィンドウに表示"),
        (114, "TFILE", "{file [$n]}", 0, "テキストファイルを指定する"),
        (115, "TREAD", "{&var [$n]}", 0, "テキストファイルから一行読む"),
        (116, "TWRITE", "{[$n] text}", 0, "テキストファイルに一行書く"),
        (73, "FKEY", "[key text]", 0, "ファンクションキーの設定"),
        (80, "CMDLIST", "", 0, "コマンドの一覧"),
    ]),
]

HEADER = [
    "# Lavinor コマンドファイル",
    "# 番号  名前  引数  キー  説明 の順に書きます。名前は自由に変えられます。",
    "# 引数が { で始まるコマンドは一覧から選んだ後で引数を入力します。",
    "# f･ n はファンクションキー n に名前を割り当てます。F15 は DELTEMP と TAKE です。",
]


def sjis(text):
    return text.encode("cp932")


def command_line(number, name, pattern, key, description):
    line = sjis(str(number)).ljust(8) + sjis(name).ljust(10) + sjis(pattern).ljust(13)
    line += (sjis("f･ %d" % key) if key else b"").ljust(6)
    return line + sjis(description)


def check(rows):
    numbers = sorted(r[0] for r in rows)
    if numbers != list(range(1, 125)):
        sys.exit("every command 1..124 needs exactly one row")
    names = [r[1] for r in rows]
    for a in names:
        if len(a) > 9:  # a blank must follow the name in its column
            sys.exit("name too long for its column: " + a)
        for b in names:
            if a != b and b.startswith(a):
                sys.exit("%s is a prefix of %s" % (a, b))
    for r in rows:
        if len(sjis(r[2])) > 11:
            sys.exit("pattern too long for its column: " + r[2])
    keys = [r[3] for r in rows if r[3]]
    if len(keys) != len(set(keys)) or any(k < 1 or k > 14 for k in keys):
        sys.exit("function keys 1..14 once each (15 keeps its default)")


def main():
    rows = [r for _, section in SECTIONS for r in section]
    check(rows)
    lines = [sjis(h) for h in HEADER]
    for title, section in SECTIONS:
        lines.append(b"")
        lines.append(sjis("# " + title))
        lines.extend(command_line(*r) for r in section)
    for line in lines:
        if len(line) > 199:
            sys.exit("line too long: %r" % line)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "data", "Lavinor.cmd"), "wb") as out:
        out.write(b"\n".join(lines) + b"\n")


if __name__ == "__main__":
    main()
