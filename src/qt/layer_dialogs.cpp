#include "qt/layer_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <functional>
#include <vector>

#include "command/layer_dialogs.h"
#include "db/messages.h"
#include "display/pens.h"
#include "platform/sjis.h"
#include "qt/qt_surface.h"
#include "state/app_state.h"

namespace lav::qt {
namespace {

using display::LayerDialog;

QString u(const char* utf8) {
  return QString::fromUtf8(utf8);
}
QString q(const std::string& sjisText) {
  return QString::fromStdString(sjis::toUtf8(sjisText));
}
QString controlName(int control) {
  return QStringLiteral("control-%1").arg(control);
}

QColor toQColor(Rgb c) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// The dialog's frame: the model's buttons and fields kept in step with the model.
class Binder {
 public:
  Binder(QDialog& dialog, LayerDialog& model) : dialog_(dialog), model_(model) {}

  // A check box, radio button or toggle button whose click goes to the model.
  template <typename Button>
  Button* button(int control, const QString& label) {
    auto* b = new Button(label);
    b->setObjectName(controlName(control));
    b->setCheckable(true);
    if constexpr (std::is_same_v<Button, QRadioButton>) b->setAutoExclusive(false);
    QObject::connect(b, &QAbstractButton::clicked, &dialog_, [this, control] {
      model_.click(control);
      refresh();
    });
    buttons_.push_back({control, b});
    return b;
  }
  // An edit field whose text goes to the model as it is typed.
  QLineEdit* edit(int control, int width) {
    auto* e = new QLineEdit(q(model_.text(control)));
    e->setObjectName(controlName(control));
    e->setFixedWidth(width);
    QObject::connect(e, &QLineEdit::textEdited, &dialog_, [this, control](const QString& t) {
      model_.setText(control, sjis::fromUtf8(t.toStdString()));
    });
    return e;
  }
  // The read-only list of the layers present in the cell, with its label.
  QWidget* presentLayers() {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* e = new QLineEdit(q(model_.text(display::kPresentLayersField)));
    e->setObjectName(controlName(display::kPresentLayersField));
    e->setReadOnly(true);
    e->setMinimumWidth(360);
    h->addWidget(new QLabel(u("今セルに存在する層")));
    h->addWidget(e, 1);
    return row;
  }
  // Button 1 "終了"; Escape (Cancel) closes the same way.
  QPushButton* closeButton() {
    auto* b = new QPushButton(u(db::msg::kButtonEnd));
    b->setObjectName(controlName(display::kCloseButton));
    b->setAutoDefault(false);
    close_ = b;
    QObject::connect(b, &QPushButton::clicked, &dialog_, &QDialog::accept);
    return b;
  }
  void refresh() {
    for (auto& [control, b] : buttons_) {
      QSignalBlocker block(b);
      b->setChecked(model_.checked(control));
    }
    for (auto& f : afterClick_) f();
  }
  void onRefresh(std::function<void()> f) { afterClick_.push_back(std::move(f)); }
  void run() {
    refresh();
    if (close_) close_->setFocus();  // not the first field: a stray key must not edit it
    dialog_.exec();
    if (!model_.finished) model_.close();
  }

 private:
  QDialog& dialog_;
  LayerDialog& model_;
  std::vector<std::pair<int, QAbstractButton*>> buttons_;
  std::vector<std::function<void()>> afterClick_;
  QPushButton* close_ = nullptr;
};

QHBoxLayout* closeRow(Binder& b) {
  auto* h = new QHBoxLayout;
  h->addWidget(b.presentLayers(), 1);
  h->addSpacing(24);
  h->addWidget(b.closeButton());
  return h;
}

// --- 716 ---

void runLayerSets(QWidget* parent, display::LayerSetsDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("表示する層・選択する層の設定"));
  Binder b(d, m);
  auto* shown = new QGroupBox(u("表示する層"));
  auto* shownGrid = new QGridLayout(shown);
  shownGrid->setHorizontalSpacing(10);
  for (int l = 0; l < 64; ++l)
    shownGrid->addWidget(b.button<QCheckBox>(200 + l, QString::number(l)), l / 8, l % 8);
  shownGrid->addWidget(b.button<QCheckBox>(264, u("ARRAY枠")), 8, 0, 1, 3);
  shownGrid->addWidget(b.button<QCheckBox>(265, u("ｼﾝｸﾞﾙ枠")), 8, 3, 1, 3);
  auto* picked = new QGroupBox(u("選択する層"));
  // A pressed toggle must read as "selectable" at a glance.
  picked->setStyleSheet(
      "QPushButton { background: #e8e8e8; border: 1px solid #a0a0a0; border-radius: 2px; }"
      "QPushButton:checked { background: #2f6fc0; color: white; border-color: #1d4f90; }");
  auto* pickedGrid = new QGridLayout(picked);
  pickedGrid->setSpacing(2);
  for (int l = 0; l < 64; ++l) {
    auto* t = b.button<QPushButton>(300 + l, QString::number(l));
    t->setFixedSize(34, 24);
    t->setAutoDefault(false);
    t->setFocusPolicy(Qt::TabFocus);
    pickedGrid->addWidget(t, l / 8, l % 8);
  }
  auto* acell = new QGroupBox(u(" ｱﾚｲｾﾙ 表示"));
  auto* av = new QVBoxLayout(acell);
  av->addWidget(b.button<QRadioButton>(501, u("0 枠のみ")));
  av->addWidget(b.button<QRadioButton>(502, u("1 外周のみ")));
  av->addWidget(b.button<QRadioButton>(503, u("2 全て")));
  auto* scell = new QGroupBox(u(" ｼﾝｸﾞﾙｾﾙ表示"));
  auto* sv = new QVBoxLayout(scell);
  sv->addWidget(b.button<QRadioButton>(504, u("0 枠のみ")));
  sv->addWidget(b.button<QRadioButton>(505, u("1 中身も表示")));
  auto* depth = new QHBoxLayout;
  depth->addWidget(new QLabel(u("表示の深さ")));
  depth->addWidget(b.edit(506, 56));
  depth->addStretch();
  auto* side = new QVBoxLayout;
  side->addWidget(acell);
  side->addWidget(scell);
  side->addLayout(depth);
  side->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(shown);
  top->addWidget(picked);
  top->addLayout(side);
  auto* v = new QVBoxLayout(&d);
  v->addLayout(top);
  v->addLayout(closeRow(b));
  b.run();
}

// --- 715 ---

void runHatchLayers(QWidget* parent, display::HatchLayersDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("塗り込み層を設定"));
  Binder b(d, m);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(1);
  constexpr int kRows = 16;
  for (int c = 0; c < 4; ++c) {
    auto* head = new QLabel(u("左右"));
    grid->addWidget(head, 0, c * 4 + 1, 1, 2, Qt::AlignCenter);
    if (c > 0) grid->setColumnMinimumWidth(c * 4 - 1, 18);
  }
  for (int l = 0; l < 64; ++l) {
    const int row = 1 + l % kRows, col = l / kRows * 4;
    grid->addWidget(b.button<QCheckBox>(200 + l, QString::asprintf("%2d", l)), row, col);
    auto* falling = b.button<QRadioButton>(300 + l, u("＼"));
    auto* rising = b.button<QRadioButton>(400 + l, u("／"));
    falling->setToolTip(u("右下がり"));
    rising->setToolTip(u("右上がり"));
    grid->addWidget(falling, row, col + 1);
    grid->addWidget(rising, row, col + 2);
  }
  auto* lines = new QHBoxLayout;
  lines->addWidget(new QLabel(u("塗り斜線数")));
  lines->addWidget(b.edit(499, 70));
  lines->addSpacing(24);
  lines->addWidget(b.button<QCheckBox>(500, u("全ての設定を無効にする")));
  lines->addStretch();
  auto* v = new QVBoxLayout(&d);
  v->addLayout(grid);
  v->addLayout(lines);
  v->addLayout(closeRow(b));
  b.run();
}

// --- 714 ---

void runHatchCounts(QWidget* parent, display::HatchCountsDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("層ごとの斜線塗りの線本数 、マーク類の設定"));
  Binder b(d, m);
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(1);
  constexpr int kRows = 16;
  for (int l = 0; l < 64; ++l) {
    const int row = l % kRows, col = l / kRows * 3;
    auto* label = new QLabel(QString::number(l));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, col);
    grid->addWidget(b.edit(200 + l, 64), row, col + 1);
    if (col > 0) grid->setColumnMinimumWidth(col - 1, 16);
  }
  auto* note = new QLabel(u("空白行はディフォルト値になります"));
  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(u("塗り斜線数")), 0, 0);
  fields->addWidget(b.edit(499, 70), 0, 1);
  fields->addWidget(new QLabel(u("ﾏｰｸｻｲｽﾞ")), 0, 2);
  fields->addWidget(b.edit(508, 56), 0, 3);
  fields->addWidget(new QLabel(u("ｾﾚｸﾄｴﾘｱｻｲｽﾞ")), 0, 4);
  fields->addWidget(b.edit(509, 56), 0, 5);
  fields->addWidget(b.button<QCheckBox>(510, u("ｴﾘｱ表示")), 0, 6);
  fields->setColumnStretch(7, 1);
  fields->setHorizontalSpacing(10);
  auto* v = new QVBoxLayout(&d);
  v->addLayout(grid);
  v->addWidget(note);
  v->addLayout(fields);
  v->addLayout(closeRow(b));
  b.run();
}

// --- 711: owner-drawn samples ---

// A column of owner-drawn items; a click selects one (or, for a single item, acts on it).
class SampleList : public QWidget {
 public:
  using Painter = std::function<void(QPainter&, const QRect&, int item, bool selected)>;
  SampleList(int control, int items, int itemHeight, int width, QColor background, Painter paint,
             std::function<void(int)> clicked)
      : background_(background),
        items_(items),
        itemHeight_(itemHeight),
        paint_(std::move(paint)),
        clicked_(std::move(clicked)) {
    setObjectName(controlName(control));
    setFixedSize(width, items * itemHeight + 4);
  }
  int selected = -1;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), background_);
    for (int i = 0; i < items_; ++i)
      paint_(p, QRect(2, 2 + i * itemHeight_, width() - 4, itemHeight_), i, i == selected);
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  void mousePressEvent(QMouseEvent* e) override {
    const int i = (static_cast<int>(e->position().y()) - 2) / itemHeight_;
    if (i < 0 || i >= items_) return;
    if (items_ > 1) selected = selected == i ? -1 : i;
    clicked_(items_ > 1 ? selected : i);
    update();
  }

 private:
  QColor background_;
  int items_, itemHeight_;
  Painter paint_;
  std::function<void(int)> clicked_;
};

// A horizontal line with pen from 6 pixels inside the left edge to 6 inside the right, drawn
// as the Graphics Window draws it, on its background.
void paintPenSample(QPainter& p, const QRect& r, int pen, bool black) {
  QImage img(r.size(), QImage::Format_RGB32);
  QtSurface s(img);
  s.fillRect(0, 0, r.width(), r.height(), display::BackgroundColour(black));
  s.setRasterMode(RasterMode::Copy);
  s.setPen(display::PenByIndex(pen, black));
  s.line(6, r.height() / 2, r.width() - 6, r.height() / 2);
  p.drawImage(r.topLeft(), img);
}

// The selected item framed twice, in the foreground colour so that it shows on the background.
void frameSelected(QPainter& p, const QRect& r, QColor foreground) {
  p.setPen(QPen(foreground));
  p.drawRect(r.adjusted(-1, -1, 0, 0));
  p.drawRect(r.adjusted(-3, -3, 2, 2));
}

void runPens(QWidget* parent, AppState& app, display::PenDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("各層の表示色・線種を設定"));
  Binder b(d, m);
  const bool black = app.display.blackBackground;
  const QColor background = toQColor(display::BackgroundColour(black));
  const QColor foreground = toQColor(display::PaletteColour(0, black));
  // Items a little taller than the specified fraction of a 16-pixel line read better on
  // today's screens; the fraction still decides the proportions.
  const int pickHeight = std::max(16, m.itemHeight(true) + 6);
  const int sampleHeight = std::max(16, m.itemHeight(false) + 4);
  std::vector<SampleList*> samples;
  auto* colours = new SampleList(
      display::PenDialog::kColourList, display::kColourCount, pickHeight, 90, background,
      [black, foreground](QPainter& p, const QRect& r, int i, bool sel) {
        const QRect box = r.adjusted(8, 4, -8, -4);
        p.fillRect(box, toQColor(display::PaletteColour(i, black)));
        p.setPen(QPen(QColor(128, 128, 128)));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        if (sel) frameSelected(p, box, foreground);
      },
      [&m](int i) { m.pickColour(i); });
  auto* styles = new SampleList(
      display::PenDialog::kStyleList, 5, pickHeight, 110, background,
      [black, foreground](QPainter& p, const QRect& r, int i, bool sel) {
        const QRect inner = r.adjusted(4, 3, -4, -3);
        paintPenSample(p, inner, i * display::kColourCount, black);
        if (sel) frameSelected(p, inner, foreground);
      },
      [&m](int i) { m.pickStyle(i); });
  auto sample = [&](int control) {
    auto* s = new SampleList(
        control, 1, sampleHeight, 86, background,
        [&m, black, control](QPainter& p, const QRect& r, int, bool) {
          paintPenSample(p, r, m.pen(control), black);
        },
        [&m, &samples, control](int) {
          m.click(control);
          for (auto* w : samples) w->update();
        });
    samples.push_back(s);
    return s;
  };
  auto* pick = new QVBoxLayout;
  pick->addWidget(new QLabel(u("色")));
  pick->addWidget(colours);
  pick->addSpacing(8);
  pick->addWidget(new QLabel(u("ｽﾀｲﾙ")));
  pick->addWidget(styles);
  pick->addStretch();
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(2);
  constexpr int kRows = 16;
  for (int l = 0; l < 64; ++l) {
    const int row = l % kRows, col = l / kRows * 3;
    auto* label = new QLabel(QString::number(l));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, col);
    grid->addWidget(sample(200 + l), row, col + 1);
    if (col > 0) grid->setColumnMinimumWidth(col - 1, 14);
  }
  auto* pseudo = new QHBoxLayout;
  const std::pair<int, const char*> pseudoLayers[] = {{display::PenDialog::kFrames, "セル枠"},
                                                      {display::PenDialog::kMarks, "マーク"},
                                                      {display::PenDialog::kDots, "ドット"},
                                                      {display::PenDialog::kTempLayer, "仮入力層"}};
  for (const auto& [control, label] : pseudoLayers) {
    pseudo->addWidget(new QLabel(u(label)));
    pseudo->addWidget(sample(control));
    pseudo->addSpacing(12);
  }
  pseudo->addStretch();
  auto* right = new QVBoxLayout;
  right->addLayout(grid);
  right->addSpacing(6);
  right->addLayout(pseudo);
  auto* top = new QHBoxLayout;
  top->addLayout(pick);
  top->addSpacing(12);
  top->addLayout(right);
  auto* v = new QVBoxLayout(&d);
  v->addLayout(top);
  v->addLayout(closeRow(b));
  b.run();
}

// --- 702 ---

void runElementTypes(QWidget* parent, display::ElementTypesDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("図形の種類ごとに設定"));
  Binder b(d, m);
  auto* v = new QVBoxLayout(&d);
  v->addWidget(new QLabel(u("○選択権 ON,OFF、□表示 ON,OFF")));
  auto* grid = new QGridLayout;
  const char* labels[] = {"アレイセル", "シングルセル", "テキスト", "エリア", "ライン"};
  for (int i = 0; i < 5; ++i) {
    auto* pickable = b.button<QRadioButton>(522 + i, QString());
    pickable->setToolTip(u("選択権"));
    grid->addWidget(pickable, i, 0);
    grid->addWidget(b.button<QCheckBox>(527 + i, u(labels[i])), i, 1);
  }
  grid->setColumnStretch(2, 1);
  v->addLayout(grid);
  auto* h = new QHBoxLayout;
  h->addStretch();
  h->addWidget(b.closeButton());
  v->addLayout(h);
  b.run();
}

}  // namespace

bool RunLayerDialog(QWidget* parent, AppState& app, DialogModel& model) {
  if (auto* m = dynamic_cast<display::LayerSetsDialog*>(&model)) {
    runLayerSets(parent, *m);
  } else if (auto* m1 = dynamic_cast<display::HatchLayersDialog*>(&model)) {
    runHatchLayers(parent, *m1);
  } else if (auto* m2 = dynamic_cast<display::HatchCountsDialog*>(&model)) {
    runHatchCounts(parent, *m2);
  } else if (auto* m3 = dynamic_cast<display::PenDialog*>(&model)) {
    runPens(parent, app, *m3);
  } else if (auto* m4 = dynamic_cast<display::ElementTypesDialog*>(&model)) {
    runElementTypes(parent, *m4);
  } else {
    return false;
  }
  return true;
}

}  // namespace lav::qt
