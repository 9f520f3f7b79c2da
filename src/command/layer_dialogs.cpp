#include "command/layer_dialogs.h"

#include <algorithm>
#include <climits>

#include "command/dispatcher.h"
#include "command/view_commands.h"
#include "console/tokens.h"
#include "display/pens.h"
#include "display/redraw.h"
#include "display/screen_text.h"
#include "state/app_state.h"

namespace lav::display {
namespace {

constexpr int kLayers = 64;
constexpr int kArrayFrameBox = 264, kSingleFrameBox = 265;
constexpr int kFirstSelectButton = 300;
constexpr int kFirstAcellRadio = 501, kLastAcellRadio = 503;
constexpr int kFirstScellRadio = 504, kLastScellRadio = 505;
constexpr int kNestField = 506;
constexpr int kFirstFallingRadio = 300, kFirstRisingRadio = 400;
constexpr int kFillLinesField = 499, kDisableBox = 500;
constexpr int kMarkSizeField = 508, kAreaSizeField = 509, kShowAreaBox = 510;

// Layer L of a control numbered base + L, or -1.
int layerOf(int control, int base) {
  const int l = control - base;
  return l >= 0 && l < kLayers ? l : -1;
}

void flip(std::uint8_t& flags, std::uint8_t bit) {
  flags = static_cast<std::uint8_t>(flags ^ bit);
}
void put(std::uint8_t& flags, std::uint8_t bit, bool on) {
  flags = static_cast<std::uint8_t>(on ? flags | bit : flags & ~bit);
}

// A field read on close and limited to lo..hi; an unreadable field leaves value.
template <typename T>
void readLimited(const std::string& field, long lo, long hi, T& value) {
  if (auto v = ParseFieldInt(field)) value = static_cast<T>(std::clamp(*v, lo, hi));
}

// Runs the dialog with the dispatcher's guard, which also keeps hatching and the grid off.
void runGuarded(AppState& app, DialogModel& model) {
  const bool was = app.dispatch.dialogOpen;
  app.dispatch.dialogOpen = true;
  app.host.runDialog(model);
  app.dispatch.dialogOpen = was;
}

// Every dialog command: the input line is free while the dialog is up; a redraw follows it.
template <typename Dialog>
void runDialogCommand(AppState& app, bool refreshStatus) {
  command::EndCommand(app);
  Dialog dialog(app);
  runGuarded(app, dialog);
  if (!dialog.finished) dialog.close();  // a host that returned without closing it
  RedrawCommand(app);
  if (refreshStatus) app.host.invalidate(Window::Status);
}

}  // namespace

std::optional<long> ParseFieldInt(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v > (LONG_MAX - 9) / 10 ? LONG_MAX : v * 10 + (c - '0');
  }
  return negative ? -v : v;
}

std::string PresentLayersText(const AppState& app) {
  std::string out;
  for (int l = 0; l < kLayers; ++l)
    if (app.design.presentLayers[l]) out += std::to_string(l) + " ";
  return out;
}

std::string LayerDialog::text(int control) const {
  return control == kPresentLayersField ? PresentLayersText(app_) : std::string();
}

void LayerDialog::setText(int, std::string_view) {}

// --- 716: display and selection sets ---

LayerSetsDialog::LayerSetsDialog(AppState& app)
    : LayerDialog(app),
      frames_{(app.settings.layerFlags[kArrayFrameLayer] & 1) != 0,
              (app.settings.layerFlags[kSingleFrameLayer] & 1) != 0},
      nest_(std::to_string(app.settings.nest)) {}

bool LayerSetsDialog::checked(int control) const {
  const auto& s = app_.settings;
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) return s.layerFlags[l] & 1;
  if (int l = layerOf(control, kFirstSelectButton); l >= 0) return s.layerSelectFlags[l] & 1;
  if (control == kArrayFrameBox || control == kSingleFrameBox)
    return frames_[control - kArrayFrameBox];
  if (control >= kFirstAcellRadio && control <= kLastAcellRadio)
    return s.showAcell == control - kFirstAcellRadio;
  if (control >= kFirstScellRadio && control <= kLastScellRadio)
    return s.showScell == control - kFirstScellRadio;
  return false;
}

void LayerSetsDialog::click(int control) {
  auto& s = app_.settings;
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) {
    flip(s.layerFlags[l], 1);
  } else if (int m = layerOf(control, kFirstSelectButton); m >= 0) {
    flip(s.layerSelectFlags[m], 1);
  } else if (control == kArrayFrameBox || control == kSingleFrameBox) {
    frames_[control - kArrayFrameBox] = !frames_[control - kArrayFrameBox];
  } else if (control >= kFirstAcellRadio && control <= kLastAcellRadio) {
    s.showAcell = control - kFirstAcellRadio;
  } else if (control >= kFirstScellRadio && control <= kLastScellRadio) {
    s.showScell = control - kFirstScellRadio;
  } else if (control == kCloseButton) {
    close();
  }
}

std::string LayerSetsDialog::text(int control) const {
  return control == kNestField ? nest_ : LayerDialog::text(control);
}

void LayerSetsDialog::setText(int control, std::string_view text) {
  if (control == kNestField) nest_ = text;
}

void LayerSetsDialog::close() {
  auto& s = app_.settings;
  readLimited(nest_, 0, 11, s.nest);
  put(s.layerFlags[kArrayFrameLayer], 1, frames_[0]);
  put(s.layerFlags[kSingleFrameLayer], 1, frames_[1]);
  finished = true;
}

// --- 715: hatched layers ---

HatchLayersDialog::HatchLayersDialog(AppState& app)
    : LayerDialog(app),
      disableAll_(app.settings.fillPaint != 1),
      fillLines_(std::to_string(app.settings.fillLines)) {}

bool HatchLayersDialog::checked(int control) const {
  const auto& f = app_.settings.layerFillFlags;
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) return f[l] & 1;
  if (int l = layerOf(control, kFirstFallingRadio); l >= 0) return f[l] & 2;
  if (int l = layerOf(control, kFirstRisingRadio); l >= 0) return !(f[l] & 2);
  if (control == kDisableBox) return disableAll_;
  return false;
}

void HatchLayersDialog::click(int control) {
  auto& f = app_.settings.layerFillFlags;
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) {
    flip(f[l], 1);  // the direction stays
  } else if (int m = layerOf(control, kFirstFallingRadio); m >= 0) {
    put(f[m], 2, true);
  } else if (int r = layerOf(control, kFirstRisingRadio); r >= 0) {
    put(f[r], 2, false);
  } else if (control == kDisableBox) {
    disableAll_ = !disableAll_;
    disableToggled_ = !disableToggled_;
  } else if (control == kCloseButton) {
    close();
  }
}

std::string HatchLayersDialog::text(int control) const {
  return control == kFillLinesField ? fillLines_ : LayerDialog::text(control);
}

void HatchLayersDialog::setText(int control, std::string_view text) {
  if (control == kFillLinesField) fillLines_ = text;
}

void HatchLayersDialog::close() {
  auto& s = app_.settings;
  readLimited(fillLines_, 30, 2000, s.fillLines);
  // Fill Paint 2 shows the box checked as 0 does; left untouched it must stay 2.
  if (disableToggled_) s.fillPaint = disableAll_ ? 0 : 1;
  finished = true;
}

// --- 714: hatch line counts and marks ---

HatchCountsDialog::HatchCountsDialog(AppState& app)
    : LayerDialog(app),
      fillLines_(std::to_string(app.settings.fillLines)),
      markSize_(std::to_string(MarkSizeOf(app))),
      areaSize_(std::to_string(app.pick.aperture)),
      showArea_(app.display.showSelectArea != 0) {
  shownMarkSize_ = markSize_;
  for (int l = 0; l < kLayers; ++l) {
    const int n = app.settings.layerHatchCount[l];
    if (n != 0) counts_[l] = std::to_string(n);
  }
}

bool HatchCountsDialog::checked(int control) const {
  return control == kShowAreaBox && showArea_;
}

void HatchCountsDialog::click(int control) {
  if (control == kShowAreaBox) showArea_ = !showArea_;
  if (control == kCloseButton) close();
}

std::string HatchCountsDialog::text(int control) const {
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) return counts_[l];
  switch (control) {
    case kFillLinesField:
      return fillLines_;
    case kMarkSizeField:
      return markSize_;
    case kAreaSizeField:
      return areaSize_;
    default:
      return LayerDialog::text(control);
  }
}

void HatchCountsDialog::setText(int control, std::string_view text) {
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) counts_[l] = text;
  if (control == kFillLinesField) fillLines_ = text;
  if (control == kMarkSizeField) markSize_ = text;
  if (control == kAreaSizeField) areaSize_ = text;
}

void HatchCountsDialog::close() {
  auto& s = app_.settings;
  for (int l = 0; l < kLayers; ++l) {
    // 0 is the stored form of "use Fill Lines", as a blank field is.
    const auto v = ParseFieldInt(counts_[l]);
    s.layerHatchCount[l] =
        static_cast<std::int16_t>(!v || *v == 0 ? 0 : std::clamp(*v, 30L, 2000L));
  }
  readLimited(fillLines_, 30, 2000, s.fillLines);
  // The mark size follows the screen until the user gives one.
  if (markSize_ != shownMarkSize_) readLimited(markSize_, 2, 50, app_.screenText.markSize);
  readLimited(areaSize_, 1, 300, app_.pick.aperture);
  app_.display.showSelectArea = showArea_ ? 1 : 0;
  finished = true;
}

// --- 711: pens ---

void PenDialog::pickColour(int colour) {
  colour_ = colour >= 0 && colour < kColourCount ? colour : -1;
}

void PenDialog::pickStyle(int style) {
  style_ = style >= 0 && style < 5 ? style : -1;
}

namespace {
// The pseudo-layer behind a sample control, or -1.
int sampleLayer(int control) {
  if (int l = layerOf(control, kFirstLayerControl); l >= 0) return l;
  switch (control) {
    case PenDialog::kFrames:
      return kSingleFrameLayer;
    case PenDialog::kMarks:
      return kMarkLayer;
    case PenDialog::kDots:
      return kGridLayer;
    case PenDialog::kTempLayer:
      return kHighlightLayer;
    default:
      return -1;
  }
}
}  // namespace

int PenDialog::pen(int control) const {
  const int l = sampleLayer(control);
  return l < 0 ? -1 : app_.settings.layerPen[l];
}

void PenDialog::click(int control) {
  if (control == kCloseButton) return close();
  const int l = sampleLayer(control);
  if (l < 0 || (colour_ < 0 && style_ < 0)) return;
  auto& pens = app_.settings.layerPen;
  const int old = pens[l];
  int pen = 0;
  if (style_ < 0)
    pen = colour_ + old / kColourCount * kColourCount;
  else if (colour_ < 0)
    pen = old % kColourCount + style_ * kColourCount;
  else
    pen = colour_ + style_ * kColourCount;
  pens[l] = static_cast<std::uint8_t>(pen);
  if (control == kFrames) pens[kArrayFrameLayer] = pens[l];
  // The grid's colour is pseudo-layer 68's pen colour, so the dots follow at once.
}

int PenDialog::itemHeight(bool pickLists) const {
  const int line = app_.shell.smallScreenFont ? 15 : app_.window.lineHeight;
  return static_cast<int>(line * (pickLists ? 0.71 : 0.85));
}

// --- 702: element types ---

bool ElementTypesDialog::checked(int control) const {
  if (control < kFirstSwitch || control > kLastSwitch) return false;
  return (app_.display.elementTypeMask >> (control - kFirstSwitch)) & 1;
}

void ElementTypesDialog::click(int control) {
  if (control == kCloseButton) return close();
  if (control < kFirstSwitch || control > kLastSwitch) return;
  app_.display.elementTypeMask ^= 1 << (control - kFirstSwitch);
}

// --- the commands ---

void StartHatchCountsDialog(AppState& app, std::string_view) {
  runDialogCommand<HatchCountsDialog>(app, false);
}

void StartHatchLayersDialog(AppState& app, std::string_view) {
  runDialogCommand<HatchLayersDialog>(app, false);
}

void StartLayerSetsDialog(AppState& app, std::string_view) {
  runDialogCommand<LayerSetsDialog>(app, true);
}

void StartPenDialog(AppState& app, std::string_view) {
  runDialogCommand<PenDialog>(app, true);
}

void StartElementTypeMask(AppState& app, std::string_view line) {
  const auto words = command::SplitWords(line);
  if (words.size() < 2) {
    runDialogCommand<ElementTypesDialog>(app, false);
    return;
  }
  if (auto v = command::ScanInt(words[1])) {
    const int m = static_cast<int>(std::clamp(*v, -1023L, 1023L));
    auto& mask = app.display.elementTypeMask;
    mask = m >= 0 ? (mask | m) : (mask & ~(-m));
    InvalidateGraphics(app);
  }
  command::EndCommand(app);
}

}  // namespace lav::display
