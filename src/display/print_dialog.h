// The print settings dialog (dialog 700 "印刷の設定"): the unit, the two corners of the print
// area, the magnification and the paper size they give. The host shows the fields and relays
// each edit and button to the operations below.
#pragma once

#include <string>
#include <string_view>

#include "display/print_state.h"
#include "display/view_state.h"
#include "platform/host.h"

namespace lav {
struct Settings;
}

namespace lav::display {

// Millimetres per unit for the unit buttons 601 (um) to 605 (km); 601 when none is chosen.
double UnitFactor(int unitButton);
// The unit button of the settings' print unit: 601 when none is chosen.
int UnitButton(const Settings& settings);

// value with the given decimals ("%.*f"), its trailing zeros and a trailing point removed.
std::string FormatTrimmedNumber(double value, int decimals);

class PrintDialog : public DialogModel {
 public:
  PrintDialog(Settings& settings, PrintState& print, const ViewState& view);
  std::string_view kind() const override { return "print-settings"; }

  // Radio buttons 601 to 605.
  void chooseUnit(int button);
  // Edit 606 (upper right, x1 y1) and 607 (lower left, x0 y0): two numbers in user units.
  void editUpperRight(std::string_view text);
  void editLowerLeft(std::string_view text);
  // Edit 608: one number.
  void editMagnification(std::string_view text);
  // Button 612 "GET": the print area becomes the view window.
  void pressGet();
  // Button 609 "実行": printing starts once the dialog is closed.
  void pressExecute();
  // Button 2 "キャンセル", or the dialog closed by its frame.
  void cancel();

  // --- what the dialog shows ---
  int unit = kUnitMicron;
  std::string upperRight, lowerLeft;  // 606, 607
  std::string magnificationText;      // 608
  std::string paperX, paperY;         // 610 "X ...mm", 611 "Y ...mm"
  bool executed = false;

 private:
  void refreshCorners();
  void refreshPaper();

  Settings& settings_;
  PrintState& print_;
  const ViewState& view_;
};

}  // namespace lav::display
