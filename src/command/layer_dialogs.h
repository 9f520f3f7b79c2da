// The five layer display dialogs as data models, addressed by their control numbers. A click
// changes its attribute at once; closing (button 1 "終了" or Cancel) reads the edit fields with
// their limits. The host shows a model and relays each click, edit and the close to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"

namespace lav {
struct AppState;
}

namespace lav::display {

// Control numbers shared by the dialogs.
inline constexpr int kCloseButton = 1;
inline constexpr int kFirstLayerControl = 200;  // 200 + L for layer L
inline constexpr int kPresentLayersField = 507;

// An edit field's integer: blanks around an optionally signed run of digits and nothing else.
// Too many digits saturate, so that the caller's limits still apply; nullopt otherwise.
std::optional<long> ParseFieldInt(std::string_view text);

// The layers with drawn elements in the current cell, "%d " each.
std::string PresentLayersText(const AppState& app);

// What the dialogs have in common: check states, clicks, edit texts and the close.
class LayerDialog : public DialogModel {
 public:
  // Check state of a check box, radio button or toggle button; false for other controls.
  virtual bool checked(int control) const = 0;
  // A click on a button, check box, radio button or owner-drawn list; ignored when not one.
  virtual void click(int control) = 0;
  // Text of an edit field ("" for other controls); setText keeps what the user typed.
  virtual std::string text(int control) const;
  virtual void setText(int control, std::string_view text);
  // Button 1 or Cancel: the close rules, then finished.
  virtual void close() { finished = true; }

 protected:
  explicit LayerDialog(AppState& app) : app_(app) {}
  AppState& app_;
};

// Dialog 716 "表示する層・選択する層の設定": display set, selection set, hierarchy switches.
class LayerSetsDialog : public LayerDialog {
 public:
  explicit LayerSetsDialog(AppState& app);
  std::string_view kind() const override { return "layer-sets"; }
  bool checked(int control) const override;
  void click(int control) override;
  std::string text(int control) const override;
  void setText(int control, std::string_view text) override;
  void close() override;

 private:
  bool frames_[2];  // boxes 264 and 265, read on close
  std::string nest_;
};

// Dialog 715 "塗り込み層を設定": hatching on and its direction per layer, the hatch switch.
class HatchLayersDialog : public LayerDialog {
 public:
  explicit HatchLayersDialog(AppState& app);
  std::string_view kind() const override { return "hatch-layers"; }
  bool checked(int control) const override;
  void click(int control) override;
  std::string text(int control) const override;
  void setText(int control, std::string_view text) override;
  void close() override;

 private:
  bool disableAll_;
  bool disableToggled_ = false;
  std::string fillLines_;
};

// Dialog 714 "層ごとの斜線塗りの線本数 、マーク類の設定": hatch line counts, mark and pick sizes.
class HatchCountsDialog : public LayerDialog {
 public:
  explicit HatchCountsDialog(AppState& app);
  std::string_view kind() const override { return "hatch-counts"; }
  bool checked(int control) const override;
  void click(int control) override;
  std::string text(int control) const override;
  void setText(int control, std::string_view text) override;
  void close() override;

 private:
  std::string counts_[64];
  std::string fillLines_, markSize_, shownMarkSize_, areaSize_;
  bool showArea_;
};

// Dialog 711 "各層の表示色・線種を設定": a colour and/or a style is picked, then each click on a
// layer's sample gives that layer the picked part of the pen.
class PenDialog : public LayerDialog {
 public:
  static constexpr int kColourList = 514;
  static constexpr int kStyleList = 515;
  static constexpr int kFrames = 265, kMarks = 266, kDots = 268, kTempLayer = 269;

  explicit PenDialog(AppState& app) : LayerDialog(app) {}
  std::string_view kind() const override { return "layer-pens"; }
  bool checked(int) const override { return false; }
  // Colour 0..13 or style 0..4 picked in the lists; -1 for none.
  void pickColour(int colour);
  void pickStyle(int style);
  int pickedColour() const { return colour_; }
  int pickedStyle() const { return style_; }
  // A click on the sample of a layer (200..263) or of 265, 266, 268, 269.
  void click(int control) override;
  // The pen the sample of control shows; -1 when control is no sample.
  int pen(int control) const;
  // Item height of the lists in pixels: the colour and style lists or the layer samples.
  int itemHeight(bool pickLists) const;

 private:
  int colour_ = -1, style_ = -1;
};

// Dialog 702 "図形の種類ごとに設定": ten switches of `ElementTypeMask`, controls 522..531 for
// bits 0..9 (picking of arrays, singles, texts, areas, lines; then the drawing of each).
class ElementTypesDialog : public LayerDialog {
 public:
  static constexpr int kFirstSwitch = 522, kLastSwitch = 531;
  explicit ElementTypesDialog(AppState& app) : LayerDialog(app) {}
  std::string_view kind() const override { return "element-types"; }
  bool checked(int control) const override;
  void click(int control) override;
};

// Command rows. Each ends its command, runs its dialog and redraws the Graphics Window.
void StartHatchCountsDialog(AppState& app, std::string_view line);  // 33
void StartHatchLayersDialog(AppState& app, std::string_view line);  // 34
void StartLayerSetsDialog(AppState& app, std::string_view line);    // 35
void StartPenDialog(AppState& app, std::string_view line);          // 36
// Command 65: a signed value sets or clears mask bits; without one, the dialog.
void StartElementTypeMask(AppState& app, std::string_view line);

}  // namespace lav::display
