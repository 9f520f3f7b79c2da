#include "qt/qt_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>
#include <vector>

#include "command/cell_dialogs.h"
#include "command/command_list_dialog.h"
#include "command/text_dialogs.h"
#include "db/messages.h"
#include "display/print_dialog.h"
#include "platform/sjis.h"
#include "qt/layer_dialogs.h"
#include "qt/print_dialog.h"
#include "qt/tree_dialog.h"
#include "state/app_state.h"

namespace lav::qt {
namespace {

QString q(std::string_view sjisText) {
  return QString::fromStdString(sjis::toUtf8(std::string(sjisText)));
}
QString u(const char* utf8) {
  return QString::fromUtf8(utf8);
}
std::string toSjis(const QString& text) {
  return sjis::fromUtf8(text.toStdString());
}

QFont listFont() {
  QFont f("IPAGothic");
  f.setStyleHint(QFont::TypeWriter);
  f.setPixelSize(14);
  return f;
}

// Tab stops in dialog units (a quarter of an average character) as character columns.
QString expandTabs(const QString& line, const int* stops, int stopCount) {
  QString out;
  int next = 0;
  for (QChar c : line) {
    if (c != '\t') {
      out += c;
      continue;
    }
    int column = out.size() + 1;
    while (next < stopCount && (stops[next] + 3) / 4 < column) ++next;
    column = next < stopCount ? (stops[next] + 3) / 4 : column + 1;
    out += QString(column - out.size(), ' ');
  }
  return out;
}

void runCommandList(QWidget* parent, AppState& app, command::CommandListDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(u("コマンドの一覧"));
  auto* list = new QListWidget;
  list->setFont(listFont());
  constexpr int stopCount = static_cast<int>(std::size(command::CommandListDialog::kTabStops));
  for (const auto& line : m.lines)
    list->addItem(expandTabs(q(line), command::CommandListDialog::kTabStops, stopCount));
  auto* run = new QPushButton(u("実行"));
  run->setObjectName("control-512");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->addButton(run, QDialogButtonBox::ActionRole);
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(list);
  layout->addWidget(buttons);
  d.resize(760, 480);
  auto pressRun = [&] {
    m.selected = PickedRow(list);
    m.pressRun(app.host);
    if (m.finished) d.accept();
  };
  QObject::connect(run, &QPushButton::clicked, &d, pressRun);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &d, pressRun);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, [&] {
    m.pressOk();
    d.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, [&] {
    m.pressCancel();
    d.reject();
  });
  d.exec();
  m.finished = true;
}

void runTextEdit(QWidget* parent, command::TextEditDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(q(m.title));
  auto* edit = new QLineEdit(q(m.text));
  edit->setObjectName("control-521");
  edit->setMinimumWidth(420);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  const bool ok = d.exec() == QDialog::Accepted;
  m.setText(toSjis(edit->text()));
  if (ok)
    m.pressOk();
  else
    m.pressCancel();
}

void runTextList(QWidget* parent, command::TextListDialog& m) {
  QDialog d(parent);
  d.setWindowTitle(q(m.title));
  auto* table = new QTableWidget(static_cast<int>(m.texts.size()), 1);
  QStringList labels;
  for (const auto& l : m.labels) labels << q(l);
  table->setVerticalHeaderLabels(labels);
  table->horizontalHeader()->setVisible(false);
  table->horizontalHeader()->setStretchLastSection(true);
  for (int i = 0; i < static_cast<int>(m.texts.size()); ++i)
    table->setItem(i, 0, new QTableWidgetItem(q(m.texts[static_cast<std::size_t>(i)])));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(table);
  layout->addWidget(buttons);
  d.resize(520, 480);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  if (d.exec() != QDialog::Accepted) {
    m.pressCancel();
    return;
  }
  for (int i = 0; i < table->rowCount(); ++i)
    m.setText(static_cast<std::size_t>(i), toSjis(table->item(i, 0)->text()));
  m.pressOk();
}

// A cell dialog: the list, up to two name fields and one action button, and "閉じる".
struct CellDialogParts {
  const char* field1 = nullptr;  // label of the first field, or none
  const char* field2 = nullptr;
  const char* action = nullptr;  // label of the action button
};

void runCellDialog(QWidget* parent, db::CellListDialog& m, const CellDialogParts& parts,
                   std::string* f1, std::string* f2,
                   const std::function<void(std::string_view)>& set1,
                   const std::function<void(std::string_view)>& set2,
                   const std::function<bool()>& act) {
  QDialog d(parent);
  d.setWindowTitle(q(m.title));
  auto* list = new QListWidget;
  list->setFont(listFont());
  QLineEdit* e1 = parts.field1 ? new QLineEdit : nullptr;
  QLineEdit* e2 = parts.field2 ? new QLineEdit : nullptr;
  // The list is rebuilt only when its lines changed: rebuilding it under the pointer loses the
  // line just pressed, and a double click on it would then pick nothing.
  std::vector<std::string> shown;
  auto refresh = [&] {
    QSignalBlocker block(list);
    if (shown != m.lines) {
      list->clear();
      for (const auto& line : m.lines) list->addItem(q(line));
      shown = m.lines;
    }
    if (m.selected >= 0) list->setCurrentRow(m.selected);
    if (e1 && f1) e1->setText(q(*f1));
    if (e2 && f2) e2->setText(q(*f2));
  };
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(list);
  auto* form = new QFormLayout;
  if (e1) form->addRow(u(parts.field1), e1);
  if (e2) form->addRow(u(parts.field2), e2);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox;
  auto* action = buttons->addButton(u(parts.action), QDialogButtonBox::ActionRole);
  auto* close = buttons->addButton(u("閉じる"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  d.resize(640, 520);
  refresh();
  QObject::connect(list, &QListWidget::currentRowChanged, &d, [&](int row) {
    if (row < 0) return;
    m.selectLine(row);
    refresh();
  });
  auto doAction = [&] {
    if (e1 && set1) set1(toSjis(e1->text()));
    if (e2 && set2) set2(toSjis(e2->text()));
    act();
    if (m.finished)
      d.accept();
    else
      refresh();
  };
  QObject::connect(action, &QPushButton::clicked, &d, doAction);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &d, [&] {
    if (m.kind() == "cell-list") doAction();
  });
  QObject::connect(close, &QPushButton::clicked, &d, &QDialog::reject);
  d.exec();
  m.close();
}

}  // namespace

int PickedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> picked = list->selectedItems();
  return picked.isEmpty() ? -1 : list->row(picked.front());
}

void RunModelDialog(QWidget* parent, AppState& app, DialogModel& model) {
  if (RunLayerDialog(parent, app, model)) return;
  if (RunTreeReportDialog(parent, app, model)) return;
  if (auto* m = dynamic_cast<command::CommandListDialog*>(&model))
    return runCommandList(parent, app, *m);
  if (auto* m = dynamic_cast<display::PrintDialog*>(&model)) return RunPrintDialog(parent, *m);
  if (auto* m = dynamic_cast<command::TextEditDialog*>(&model)) return runTextEdit(parent, *m);
  if (auto* m = dynamic_cast<command::TextListDialog*>(&model)) return runTextList(parent, *m);
  if (auto* m = dynamic_cast<db::CellCopyDialog*>(&model)) {
    return runCellDialog(
        parent, *m, {db::msg::kFieldCopySource, db::msg::kFieldNewName, db::msg::kButtonCreate},
        &m->sourceName, &m->newName, [m](std::string_view t) { m->setSourceName(t); },
        [m](std::string_view t) { m->setNewName(t); }, [m] { return m->pressCreate(); });
  }
  if (auto* m = dynamic_cast<db::CellRenameDialog*>(&model)) {
    return runCellDialog(
        parent, *m, {db::msg::kFieldOldName, db::msg::kFieldNewName, db::msg::kButtonChange},
        &m->oldName, &m->newName, [m](std::string_view t) { m->setOldName(t); },
        [m](std::string_view t) { m->setNewName(t); }, [m] { return m->pressChange(); });
  }
  if (auto* m = dynamic_cast<db::CellDeleteDialog*>(&model)) {
    return runCellDialog(parent, *m, {nullptr, nullptr, db::msg::kButtonDelete}, nullptr, nullptr,
                         {}, {}, [m] { return m->pressDelete(); });
  }
  if (auto* m = dynamic_cast<db::CellRestoreDialog*>(&model)) {
    return runCellDialog(
        parent, *m, {db::msg::kFieldRestoredName, nullptr, db::msg::kButtonRestore},
        &m->restoredName, nullptr, [m](std::string_view t) { m->setRestoredName(t); }, {},
        [m] { return m->pressRestore(); });
  }
  if (auto* m = dynamic_cast<db::CellNamesDialog*>(&model)) {
    return runCellDialog(parent, *m, {nullptr, nullptr, db::msg::kButtonSelect}, nullptr, nullptr,
                         {}, {}, [m] { return m->pressSelect(); });
  }
  // A model without a window here would otherwise vanish without a trace: say so, and end it
  // untouched so that its command sees a cancel.
  std::fprintf(stderr, "lavinor: no window for the dialog \"%.*s\"; the command did nothing\n",
               static_cast<int>(model.kind().size()), model.kind().data());
  model.finished = true;
}

void ShowVersionDialog(QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(u("バージョン情報"));
  auto* layout = new QVBoxLayout(&d);
  auto* label = new QLabel(u("Lavinor  Version " LAVINOR_VERSION "\n二次元レイアウト CAD"));
  label->setAlignment(Qt::AlignCenter);
  layout->addWidget(label);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  d.exec();
}

}  // namespace lav::qt
