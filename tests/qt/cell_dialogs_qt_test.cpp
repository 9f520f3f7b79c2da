// The five cell dialogs on Qt widgets, used as a user uses them: a click on a list line, names
// typed into the fields, the action button, a double click, Escape; and a dialog model that has
// no window here, which must be refused aloud and end as a cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "command/cell_dialogs.h"
#include "db/cell_commands.h"
#include "db/cell_directory.h"
#include "db/design_files.h"
#include "platform/scripted_host.h"
#include "platform/sjis.h"
#include "qt/qt_dialogs.h"
#include "state/app_state.h"
#include "support/qt_application.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;

class CellDialogsQt : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    dir = lav::testing::EnterTestFolder("celldlg", oldCwd);
    ASSERT_TRUE(db::NewDesign(app, "cells"));
    for (const char* name : {"A", "B", "OLD"}) ASSERT_TRUE(db::CreateCell(app, name));
    db::RunCellDeleteDialog(app, {"OLD"});
    ASSERT_FALSE(has("OLD"));
  }
  void TearDown() override { lav::testing::LeaveTestFolder(dir, oldCwd); }
  bool has(const char* name) const {
    return db::FindCell(app.design.image, name).result == db::FindResult::Found;
  }
  // Shows model's dialog and runs script on it; the dialog must end by then.
  void drive(DialogModel& model, const std::function<void(QDialog&)>& script) {
    EXPECT_TRUE(
        lav::testing::WithModalDialog([&] { RunModelDialog(nullptr, app, model); }, script));
    EXPECT_TRUE(model.finished);
  }

  fs::path dir, oldCwd;
  ScriptedHost host;
  AppState app{host};
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

TEST_F(CellDialogsQt, EachDialogActsOnItsWidgets) {
  struct Row {
    const char* name;
    std::function<std::unique_ptr<db::CellListDialog>(AppState&)> make;
    std::function<void(QDialog&)> use;
    std::function<void(db::CellListDialog&)> check;
  };
  // In turn on one design: A, B and the deleted OLD at the start.
  const Row rows[] = {
      {"restore", [](AppState& a) { return std::make_unique<db::CellRestoreDialog>(a); },
       [](QDialog& d) {
         ClickLine(d, "?LD");
         TypeField(d, 0, "?LD", "OLD");
         Press(d, "復活");
         Press(d, "閉じる");
       },
       [this](db::CellListDialog&) { EXPECT_TRUE(has("OLD")); }},
      {"copy, refused then made",
       [](AppState& a) { return std::make_unique<db::CellCopyDialog>(a, false); },
       [](QDialog& d) {
         ClickLine(d, "A");
         TypeField(d, 1, "", "B");
         Press(d, "作成");  // a name in use: the box, and the dialog stays
         EXPECT_TRUE(d.isVisible());
         TypeField(d, 1, "B", "C");
         Press(d, "作成");
         Press(d, "閉じる");
       },
       [this](db::CellListDialog&) {
         EXPECT_TRUE(has("C"));
         ASSERT_EQ(host.boxes.size(), 1u);
         EXPECT_EQ(host.boxes[0].text, "同名のセルが在りますので出来ません。");
       }},
      {"rename", [](AppState& a) { return std::make_unique<db::CellRenameDialog>(a); },
       [](QDialog& d) {
         ClickLine(d, "C");
         TypeField(d, 1, "", "R");
         Press(d, "変更");
         Press(d, "閉じる");
       },
       [this](db::CellListDialog&) { EXPECT_TRUE(!has("C") && has("R")); }},
      {"delete", [](AppState& a) { return std::make_unique<db::CellDeleteDialog>(a); },
       [](QDialog& d) {
         ClickLine(d, "B");
         Press(d, "削除");
         Press(d, "閉じる");
       },
       [this](db::CellListDialog&) { EXPECT_TRUE(!has("B") && has("A")); }},
      {"list, double click", [](AppState& a) { return std::make_unique<db::CellNamesDialog>(a); },
       [](QDialog& d) {
         ClickLine(d, "R");
         ClickLine(d, "R", true);
       },
       [](db::CellListDialog& m) { EXPECT_EQ(static_cast<db::CellNamesDialog&>(m).chosen, "R"); }},
      {"list, Escape", [](AppState& a) { return std::make_unique<db::CellNamesDialog>(a); },
       [](QDialog& d) {
         ClickLine(d, "A");
         QTest::keyClick(&d, Qt::Key_Escape);
       },
       [this](db::CellListDialog& m) {
         EXPECT_EQ(static_cast<db::CellNamesDialog&>(m).chosen, "");
         EXPECT_TRUE(has("A") && has("R") && has("OLD"));
       }}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    host.boxes.clear();
    auto model = r.make(app);
    drive(*model, r.use);
    r.check(*model);
  }
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

}  // namespace
}  // namespace lav::qt
