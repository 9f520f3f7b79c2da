#include "shell/main_menu.h"

#include <string>

#include "command/window_input.h"
#include "console/command_window.h"
#include "console/window_messages.h"
#include "state/app_state.h"

namespace lav::shell {
namespace {

constexpr const char* kPopups[] = {"ファイル(&F)", "セル(&C)", "表示(&V)",
                                   "入力(&I)",     "座標(&P)", "ヘルプ(&H)"};

constexpr MenuEntry kEntries[] = {
    {0, 2, command::winmsg::kLabelNewFile},
    {0, 3, command::winmsg::kLabelOpenFile},
    {0, 4, command::winmsg::kLabelSaveClose},
    {0, 2003, command::winmsg::kLabelDiscardClose},
    {0, 0, nullptr},
    {0, 111, "印刷"},
    {0, 0, nullptr},
    {0, 1, "Lavinorの終了"},
    {1, 6, "セルを新規作成する。"},
    {1, 12, "セルを開く"},
    {1, 7, "セルを開く･･･指名"},
    {1, 8, db::msg::kTitleCellCopy},
    {1, 9, "セル名を変更する"},
    {1, 10, "セルを消す"},
    {1, 11, "消したセルを復活する"},
    {1, 0, nullptr},
    {1, 13, "セルの木構造ファイルを作り表示する"},
    {1, 14, "作成済みの木構造ファイルを表示する"},
    {2, 17, "全体図を表示する"},
    {2, 18, "枠で囲った範囲を表示する"},
    {2, 19, "表示の拡大 縮小をする"},
    {2, 20, "再表示する"},
    {2, 21, "表示位置の中心を変える"},
    {2, 0, nullptr},
    {2, 33, "層ごとの塗りこみ線の本数を決める"},
    {2, 34, "層ごとの塗りこみ状態を決める"},
    {2, 35, "選択層 or 表示層を決める"},
    {2, 36, "層ごとの色 or 線種類を決める"},
    {2, 0, nullptr},
    {2, 124, "ツールバー"},
    {3, 2011, "要素: 配列セル"},
    {3, 2012, "要素: 単独セル"},
    {3, 2013, "要素: テキスト"},
    {3, 2014, "要素: 矩形"},
    {3, 2015, "要素: 多角形"},
    {3, 2016, "要素: ライン"},
    {3, 0, nullptr},
    {3, 83, " ラインの幅を指定"},
    {3, 0, nullptr},
    {3, 91, "仮入力層に座標値を入力"},
    {3, 92, "仮入力層の図形を削除"},
    {3, 94, "仮入力層の図形を出力"},
    {3, 95, "既存の図形を仮入力層に入力"},
    {3, 77, "図形の座標値を得る"},
    {4, 2005, "絶対座標"},
    {4, 2006, "直前の点からの相対座標"},
    {4, 2007, "最初の点からの相対座標"},
    {4, 2008, "指定した原点からの相対座標"},
    {4, 0, nullptr},
    {4, 2009, "座標値をコマンド行に表示"},
    {4, 2010, "座標値をウインドウに表示"},
    {5, 80, "コマンドの一覧"},
    {5, 2002, "ヘルプの目次"},
    {5, 0, nullptr},
    {5, 1104, "バージョン情報"},
};

}  // namespace

std::span<const char* const> MenuPopups() {
  return kPopups;
}
std::span<const MenuEntry> MenuEntries() {
  return kEntries;
}

MenuOutcome RunMenuItem(AppState& app, int id) {
  if (id == kMenuPrint) return MenuOutcome::Print;
  if (id == kMenuVersion) return MenuOutcome::Version;
  if (id == kMenuHelp) {
    command::OpenHelp(app);
    return MenuOutcome::Help;
  }
  int number = id;
  std::string argument;
  if (id == 3) {
    argument = "0";  // the file-open dialog
  } else if (id >= 33 && id <= 36) {
    number = 20;  // the layer dialogs are reached by typing their commands
  } else if (id == 2003) {
    number = 4, argument = "0";
  } else if (id >= 2005 && id <= 2008) {
    number = 76, argument = std::to_string(id - 2005);
  } else if (id == 2009 || id == 2010) {
    number = 78, argument = std::to_string(id - 2009);
  } else if (id >= 2011 && id <= 2016) {
    number = 82, argument = std::to_string(id - 2011);
  }
  command::RunMenuCommand(app, number, argument);
  return MenuOutcome::Typed;
}

}  // namespace lav::shell
