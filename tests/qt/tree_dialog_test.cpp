// The tree report's dialogs on Qt's offscreen platform: the list shows the report with its
// connectors, the child-cell button is disabled, and the open-cell button opens the cell; only a
// row the user picked is a choice, there and in the command list.
#include "qt/tree_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "command/command_list_dialog.h"
#include "command/tree_dialogs.h"
#include "console/command_file.h"
#include "db/design_builder.h"
#include "interchange/tree_report.h"
#include "platform/scripted_host.h"
#include "qt/qt_dialogs.h"
#include "state/app_state.h"
#include "support/qt_application.h"

namespace lav::qt {
namespace {

namespace fs = std::filesystem;

class TreeDialogWidgets : public ::testing::Test {
 protected:
  void SetUp() override {
    lav::testing::EnsureQtApplication();
    dir = fs::temp_directory_path() / ("lavinor-tree-qt-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    oldCwd = fs::current_path();
    fs::current_path(dir);
    app.programDir = LAVINOR_DATA_DIR;
    ASSERT_TRUE(command::LoadCommandFile(app));
    auto& d = app.design;
    db::testing::NewImage(d);
    db::testing::AddCell(d, "LEAF");
    db::testing::AddCell(d, "TOP");
    db::Placement p;
    p.cellName = "LEAF";
    db::testing::Append(d, db::EncodeSingle(p));
    p.columns = 2;
    db::testing::Append(d, db::EncodeArray(p));
    ASSERT_EQ(interchange::WriteTreeReport(app), interchange::TreeOutcome::Written);
  }
  void TearDown() override {
    fs::current_path(oldCwd);
    fs::remove_all(dir);
  }
  // Runs model's dialog; act is called once it is up, with the dialog. The timer ends with the
  // call, so that nothing of this test fires inside a later one.
  void show(DialogModel& model, const std::function<void(QDialog&)>& act) {
    bool ran = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d || ran) return;
      ran = true;
      poll.stop();
      act(*d);
      if (d->isVisible()) d->reject();
    });
    poll.start();
    RunModelDialog(nullptr, app, model);
    EXPECT_TRUE(ran) << "the dialog was not up";
  }

  fs::path dir, oldCwd;
  ScriptedHost host;
  AppState app{host};
};

TEST_F(TreeDialogWidgets, TreeListShowsConnectorsAndOpensTheChosenCell) {
  interchange::TreeDialog model(app, 0);
  ASSERT_TRUE(model.loaded());
  QStringList items;
  bool childEnabled = true;
  show(model, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("セルの木構造"));
    auto* list = d.findChild<QListWidget*>("control-511");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    childEnabled = d.findChild<QPushButton*>("control-513")->isEnabled();
    list->setCurrentRow(2);
    d.findChild<QPushButton*>("control-512")->click();
  });
  ASSERT_EQ(items.size(), 5);
  EXPECT_TRUE(items[0].startsWith(" ------ /nonexistent/test.cad ----"));
  EXPECT_TRUE(items[2].startsWith(QString::fromUtf8(" ├LEAF "))) << items[2].toStdString();
  EXPECT_TRUE(items[3].startsWith(QString::fromUtf8(" └LEAF "))) << items[3].toStdString();
  EXPECT_TRUE(items[3].endsWith(" 1(Array)")) << "the tab shown as the blank it stood for";
  EXPECT_TRUE(items[4].startsWith("------ END ----"));
  EXPECT_FALSE(childEnabled);
  EXPECT_TRUE(model.finished);
  EXPECT_TRUE(model.enterAfterClose);
  EXPECT_EQ(app.window.input, "LEAF") << "the answer to the open-cell command waits";
}

TEST_F(TreeDialogWidgets, ChooserListsTwoLinesPerReport) {
  interchange::TreeFileChooser model(app);
  int count = 0;
  show(model, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("以前の木構造ファイルを選択"));
    auto* list = d.findChild<QListWidget*>("control-511");
    ASSERT_NE(list, nullptr);
    count = list->count();
    list->setCurrentRow(1);
    d.findChild<QPushButton*>("control-512")->click();
  });
  EXPECT_EQ(count, 2);
  ASSERT_TRUE(model.chosen);
  EXPECT_EQ(*model.chosen, 0);
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
  EXPECT_EQ(app.window.input, "");
  EXPECT_FALSE(chooser.chosen);
  EXPECT_FALSE(commands.choice);
}

}  // namespace
}  // namespace lav::qt
