#include "qt/tree_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "command/tree_dialogs.h"
#include "interchange/tree_messages.h"
#include "platform/sjis.h"
#include "qt/qt_dialogs.h"

namespace lav::qt {
namespace {

namespace treemsg = interchange::treemsg;

QString q(std::string_view sjisText) {
  return QString::fromStdString(sjis::toUtf8(std::string(sjisText)));
}

// A fixed-pitch face in which every two-byte character is two columns wide, so that the
// connectors and the depth numbers stand in their byte columns.
QFont reportFont() {
  QFont f("IPAGothic");
  f.setStyleHint(QFont::TypeWriter);
  f.setPixelSize(14);
  return f;
}

QListWidget* reportList(const std::vector<std::string>& lines) {
  auto* list = new QListWidget;
  list->setObjectName("control-511");
  list->setFont(reportFont());
  list->setUniformItemSizes(true);
  // The tab only marks the depth column, which the fixed pitch keeps in line already.
  for (const auto& line : lines) list->addItem(q(line).replace('\t', ' '));
  return list;
}

QPushButton* button(const char* utf8, int control) {
  auto* b = new QPushButton(QString::fromUtf8(utf8));
  b->setObjectName(QString("control-%1").arg(control));
  b->setAutoDefault(false);
  return b;
}

void runTree(QWidget* parent, interchange::TreeDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(q(m.title));
  auto* list = reportList(m.lines);
  auto* open = button(treemsg::kButtonOpenCell, interchange::TreeDialog::kOpenCellButton);
  auto* child = button(treemsg::kButtonOpenChild, interchange::TreeDialog::kOpenChildButton);
  child->setEnabled(false);
  auto* close = button(treemsg::kButtonClose, 2);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(open, QDialogButtonBox::ActionRole);
  buttons->addButton(child, QDialogButtonBox::ActionRole);
  buttons->addButton(close, QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(list);
  layout->addWidget(buttons);
  d.resize(720, 520);
  QObject::connect(list, &QListWidget::itemSelectionChanged, &d,
                   [&] { m.selectLine(PickedRow(list)); });
  auto pressOpen = [&] {
    m.pressOpenCell();
    if (m.finished) d.accept();
  };
  QObject::connect(open, &QPushButton::clicked, &d, pressOpen);
  QObject::connect(list, &QListWidget::itemActivated, &d, pressOpen);
  QObject::connect(close, &QPushButton::clicked, &d, &QDialog::reject);
  d.exec();
  m.pressClose();
}

void runChooser(QWidget* parent, interchange::TreeFileChooser& m) {
  QDialog d(parent);
  d.setWindowTitle(q(m.title));
  auto* list = reportList(m.lines);
  auto* choose = button(treemsg::kButtonChoose, interchange::TreeFileChooser::kChooseButton);
  auto* close = button(treemsg::kButtonClose, 2);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(choose, QDialogButtonBox::ActionRole);
  buttons->addButton(close, QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(list);
  layout->addWidget(buttons);
  d.resize(720, 480);
  auto pressChoose = [&] {
    m.selected = PickedRow(list);
    if (m.pressChoose()) d.accept();
  };
  QObject::connect(choose, &QPushButton::clicked, &d, pressChoose);
  QObject::connect(list, &QListWidget::itemActivated, &d, pressChoose);
  QObject::connect(close, &QPushButton::clicked, &d, &QDialog::reject);
  d.exec();
  m.pressClose();
}

}  // namespace

bool RunTreeReportDialog(QWidget* parent, AppState&, DialogModel& model) {
  if (auto* m = dynamic_cast<interchange::TreeDialog*>(&model)) {
    runTree(parent, *m);
    return true;
  }
  if (auto* m = dynamic_cast<interchange::TreeFileChooser*>(&model)) {
    runChooser(parent, *m);
    return true;
  }
  return false;
}

}  // namespace lav::qt
