// The model dialogs on Qt widgets, used as a user uses them. The five cell dialogs: a click on a
// list line, names typed into the fields, the action button, a double click, Escape; and a
// dialog model that has no window here, which must be refused aloud and end as a cancel. The
// tree report's dialogs: the list shows the report with its connectors, the child-cell button is
// disabled, and the open-cell button opens the cell; only a row the user picked is a choice,
// there and in the command list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "command/cell_dialogs.h"
#include "command/command_list_dialog.h"
#include "command/tree_dialogs.h"
#include "console/command_file.h"
#include "db/cell_commands.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "db/design_files.h"
#include "interchange/tree_report.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/qt_dialogs.h"
#include "qt/tree_dialog.h"
#include "state/app_state.h"
#include "support/qt_application.h"
#include "support/short_forms.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;

// A program state in a folder of the test's own, and a model's dialog shown on it.
class ModelDialogsQt : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    dir = lav::testing::EnterTestFolder("dialogs-qt", oldCwd);
  }
  void TearDown() override { lav::testing::LeaveTestFolder(dir, oldCwd); }
  // Shows model's dialog and runs script on it once it is up; a dialog left open is rejected.
  void show(DialogModel& model, const std::function<void(QDialog&)>& script) {
    EXPECT_TRUE(lav::testing::WithModalDialog([&] { RunModelDialog(nullptr, app, model); },
                                              [&](QDialog& d) {
                                                script(d);
                                                if (d.isVisible()) d.reject();
                                              }))
        << "the dialog was not up";
  }

  fs::path dir, oldCwd;
  ScriptedHost host;
  AppState app{host};
};

class CellDialogsQt : public ModelDialogsQt {
 protected:
  void SetUp() override {
    ModelDialogsQt::SetUp();
    ASSERT_TRUE(db::NewDesign(app, "cells"));
    for (const char* name : {"A", "B", "OLD"}) ASSERT_TRUE(db::CreateCell(app, name));
    db::RunCellDeleteDialog(app, {"OLD"});
    ASSERT_FALSE(has("OLD"));
  }
  bool has(const char* name) const {
    return db::FindCell(app.design.image, name).result == db::FindResult::Found;
  }
  // Shows the model's dialog and runs script on it, which must end it.
  void use(db::CellListDialog& model, const std::function<void(QDialog&)>& script) {
    host.boxes.clear();
    show(model, [&](QDialog& d) {
      script(d);
      EXPECT_FALSE(d.isVisible()) << "the dialog must end by then";
    });
    EXPECT_TRUE(model.finished);
  }
};

void ClickLine(QDialog& d, const char* text, bool twice = false) {
  auto* list = d.findChild<QListWidget*>();
  ASSERT_TRUE(list);
  const auto found = list->findItems(QString::fromUtf8(text), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << text;
  const QPoint at = list->visualItemRect(found.front()).center();
  if (twice)
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  else
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}
// Checks what the line's click put into field index, then types text over it.
void TypeField(QDialog& d, int index, const char* filled, const char* text) {
  const auto edits = d.findChildren<QLineEdit*>();
  ASSERT_LT(index, edits.size());
  QLineEdit* e = edits[index];
  EXPECT_EQ(e->text().toStdString(), filled);
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClicks(e, QString::fromUtf8(text));
}
void Press(QDialog& d, const char* label) {
  for (auto* b : d.findChildren<QPushButton*>())
    if (b->text() == QString::fromUtf8(label)) return QTest::mouseClick(b, Qt::LeftButton);
  ADD_FAILURE() << "no button " << label;
}

// In turn on one design: A, B and the deleted OLD at the start.
TEST_F(CellDialogsQt, EachDialogActsOnItsWidgets) {
  db::CellRestoreDialog restore(app);
  use(restore, [](QDialog& d) {
    ClickLine(d, "?LD");
    TypeField(d, 0, "?LD", "OLD");
    Press(d, "復活");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(has("OLD"));

  db::CellCopyDialog copy(app, false);
  use(copy, [](QDialog& d) {
    ClickLine(d, "A");
    TypeField(d, 1, "", "B");
    Press(d, "作成");  // a name in use: the box, and the dialog stays
    EXPECT_TRUE(d.isVisible());
    TypeField(d, 1, "B", "C");
    Press(d, "作成");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(has("C"));
  EXPECT_TRUE(lav::testing::OneBox(host, "同名のセルが在りますので出来ません。"));

  db::CellRenameDialog rename(app);
  use(rename, [](QDialog& d) {
    ClickLine(d, "C");
    TypeField(d, 1, "", "R");
    Press(d, "変更");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(!has("C") && has("R"));

  db::CellDeleteDialog remove(app);
  use(remove, [](QDialog& d) {
    ClickLine(d, "B");
    Press(d, "削除");
    Press(d, "閉じる");
  });
  EXPECT_TRUE(!has("B") && has("A"));

  db::CellNamesDialog doubleClicked(app), escaped(app);
  use(doubleClicked, [](QDialog& d) {
    ClickLine(d, "R");
    ClickLine(d, "R", true);
  });
  use(escaped, [](QDialog& d) {
    ClickLine(d, "A");
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  EXPECT_EQ(std::pair(doubleClicked.chosen, escaped.chosen),
            std::pair(std::string("R"), std::string()));
  EXPECT_TRUE(has("A") && has("R") && has("OLD"));
}

TEST_F(CellDialogsQt, AModelWithoutAWindowIsRefusedAloud) {
  struct Unknown : DialogModel {
    std::string_view kind() const override { return "no-such-dialog"; }
  } model;
  ::testing::internal::CaptureStderr();
  RunModelDialog(nullptr, app, model);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(model.finished);
  EXPECT_EQ(err, "lavinor: no window for the dialog \"no-such-dialog\"; the command did nothing\n");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

class TreeDialogWidgets : public ModelDialogsQt {
 protected:
  void SetUp() override {
    ModelDialogsQt::SetUp();
    app.programDir = LAVINOR_DATA_DIR;
    ASSERT_TRUE(command::LoadCommandFile(app));
    auto& d = app.design;
    db::testing::NewImage(d);
    db::testing::AddCell(d, "LEAF");
    db::testing::AddCell(d, "TOP");
    db::testing::Append(d, db::EncodeSingle({.cellName = "LEAF"}));
    db::testing::Append(d, db::EncodeArray({.cellName = "LEAF", .columns = 2}));
    ASSERT_EQ(interchange::WriteTreeReport(app), interchange::TreeOutcome::Written);
  }
};

// The tree's list shows the report with its connectors and opens the chosen cell; the chooser
// lists two lines a report.
TEST_F(TreeDialogWidgets, TreeListShowsConnectorsAndOpensTheChosenCellChooserListsReports) {
  interchange::TreeDialog tree(app, 0);
  ASSERT_TRUE(tree.loaded());
  interchange::TreeFileChooser chooser(app);
  QStringList items, choices;
  bool childEnabled = true;
  show(tree, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("セルの木構造"));
    auto* list = d.findChild<QListWidget*>("control-511");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    childEnabled = d.findChild<QPushButton*>("control-513")->isEnabled();
    list->setCurrentRow(2);
    d.findChild<QPushButton*>("control-512")->click();
  });
  show(chooser, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("以前の木構造ファイルを選択"));
    auto* list = d.findChild<QListWidget*>("control-511");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) choices << list->item(i)->text();
    list->setCurrentRow(1);
    d.findChild<QPushButton*>("control-512")->click();
  });
  ASSERT_EQ(items.size(), 5);
  EXPECT_TRUE(items[0].startsWith(" ------ /nonexistent/test.cad ----"));
  EXPECT_TRUE(items[2].startsWith(QString::fromUtf8(" ├LEAF "))) << items[2].toStdString();
  EXPECT_TRUE(items[3].startsWith(QString::fromUtf8(" └LEAF "))) << items[3].toStdString();
  EXPECT_TRUE(items[3].endsWith(" 1(Array)")) << "the tab shown as the blank it stood for";
  EXPECT_TRUE(items[4].startsWith("------ END ----"));
  EXPECT_EQ(std::tuple(childEnabled, tree.finished, tree.enterAfterClose),
            std::tuple(false, true, true));
  EXPECT_EQ(app.window.input, "LEAF") << "the answer to the open-cell command waits";
  EXPECT_EQ(choices.size(), 2);
  EXPECT_EQ(chooser.chosen, std::optional<int>(0));
}

// A list that gets the focus has its first row current but none picked: each dialog's button
// then asks the user to pick one, and nothing is opened, chosen or typed.
TEST_F(TreeDialogWidgets, FocusedListWithNoRowPickedIsNoChoice) {
  interchange::TreeDialog tree(app, 0);
  interchange::TreeFileChooser chooser(app);
  command::CommandListDialog commands;
  commands.lines = command::ListLinesOf("1 EXIT\r\n2 NEW {file}\r\n");
  for (DialogModel* model : std::initializer_list<DialogModel*>{&tree, &chooser, &commands}) {
    SCOPED_TRACE(std::string(model->kind()));
    host.boxes.clear();
    show(*model, [&](QDialog& d) {
      auto* list = d.findChild<QListWidget*>();
      ASSERT_NE(list, nullptr);
      QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
      QApplication::sendEvent(list, &focus);
      ASSERT_EQ(list->currentRow(), 0) << "Qt's current row";
      d.findChild<QPushButton*>("control-512")->click();
      EXPECT_TRUE(d.isVisible()) << "the dialog stays";
    });
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "選択してからボタンを押して下さい");
  }
  EXPECT_TRUE(app.window.input.empty() && !chooser.chosen && !commands.choice);
}

}  // namespace
}  // namespace lav::qt
