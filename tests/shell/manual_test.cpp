// The user's manual HLP/LAVINOR.html against the program: every command of the shipped command
// file has its entry under its number, no entry names a command that does not exist, the prompts
// the manual quotes are the ones the program shows, its examples run, and the help menu and the
// End key open the installed file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "command/command_table.h"
#include "command/window_input.h"
#include "shell/main_menu.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav {
namespace {

namespace fs = std::filesystem;

const fs::path kManualInSources = fs::path(LAVINOR_DATA_DIR) / "HLP" / "LAVINOR.html";
const fs::path kProgramDir = fs::path(LAVINOR_BINARY).parent_path();

using testing::ReadFile;

std::string unescape(std::string s) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [from, to] : entities)
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
      s.replace(at, std::string_view(from).size(), to);
  return s;
}

// One command entry: <dt id="cmd-NAME"><span class="no">N</span> ...</dt><dd>...</dd>.
struct Entry {
  std::string name;
  int number = 0;
  std::string body;  // from the end of the dt to the next entry or the end of the list
};

std::vector<Entry> commandEntries(const std::string& html) {
  std::vector<Entry> entries;
  const std::string open = "<dt id=\"cmd-";
  for (std::size_t at = html.find(open); at != std::string::npos;) {
    Entry e;
    const std::size_t nameStart = at + open.size();
    e.name = html.substr(nameStart, html.find('"', nameStart) - nameStart);
    const std::string noTag = "<span class=\"no\">";
    const std::size_t dtEnd = html.find("</dt>", at);
    const std::size_t no = html.find(noTag, at);
    if (no != std::string::npos && no < dtEnd)
      e.number = std::atoi(html.c_str() + no + noTag.size());
    const std::size_t next = html.find(open, dtEnd);
    const std::size_t listEnd = html.find("</dl>", dtEnd);
    const std::size_t end = std::min(next, listEnd);
    e.body = html.substr(dtEnd, end == std::string::npos ? std::string::npos : end - dtEnd);
    entries.push_back(std::move(e));
    at = next;
  }
  return entries;
}

// The first prompt an entry quotes as the one its bare name shows (class "prompt"), if any.
std::optional<std::string> quotedPrompt(const Entry& e) {
  const std::string tag = "<code class=\"prompt\">";
  const std::size_t at = e.body.find(tag);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + tag.size();
  return unescape(e.body.substr(start, e.body.find("</code>", start) - start));
}

// A session with the shipped command file in a folder of the test's own.
class ManualTest : public testing::TypingSession {
 protected:
  void SetUp() override {
    TypingSession::SetUp();
    html = ReadFile(kManualInSources);
    ASSERT_FALSE(html.empty()) << kManualInSources;
    entries = commandEntries(html);
  }
  std::string html;
  std::vector<Entry> entries;
};

TEST_F(ManualTest, EveryCommandHasOneEntryUnderItsNumberAndItsQuotedPromptIsTheProgramsOwn) {
  std::map<std::string, std::vector<int>> byName;
  for (const auto& e : entries) byName[e.name].push_back(e.number);
  int named = 0;
  const command::CommandTable& commands = app.window.commands;  // the shipped file
  for (int n = 1; n <= static_cast<int>(commands.names.size()); ++n) {
    const std::string name = command::CommandName(commands, n);
    if (name.empty()) continue;
    ++named;
    ASSERT_TRUE(byName.count(name)) << "no entry for command " << n << " " << name;
    EXPECT_EQ(byName[name], std::vector<int>{n}) << name;
    EXPECT_NE(command::FindCommandRow(n), nullptr) << name << " " << n << " does not exist";
  }
  // So no entry names a command that does not exist; the shipped file names every built-in one
  // (checked with the command file), so the manual covers all.
  EXPECT_EQ(named, static_cast<int>(entries.size()));
  // A bare command name shows its first prompt with a design and a cell open, unless the command
  // is refused while a design is open; Escape leaves it before the next.
  int checked = 0;
  for (const auto& e : entries) {
    const auto quoted = quotedPrompt(e);
    if (!quoted) continue;
    const auto* row = command::FindCommandRow(e.number);
    ASSERT_NE(row, nullptr) << e.name;
    if (row->needs == command::Needs::NoFile && app.design.isOpen()) type("CLOSE 0");
    if (row->needs != command::Needs::NoFile && !app.design.isOpen())
      typeAll({"NEW manual", "MKCELL TOP"});
    type(e.name);
    EXPECT_EQ(prompt(), *quoted) << e.name;
    EXPECT_TRUE(host.boxes.empty()) << e.name << ": " << host.boxes.front().text;
    command::AbortCommand(app);
    ++checked;
  }
  // Settings, point prompts and the named-file commands all quote their prompt.
  EXPECT_GE(checked, 40);
}

// Links lead to places in the manual and nothing is fetched; menus, shown macros and the page
// itself are as the program has them.
TEST_F(ManualTest, LinksMenuItemsShownMacrosThePageAndItsInstalledCopyAreSound) {
  std::set<std::string> ids;
  const std::string idAttr = " id=\"";
  for (std::size_t at = html.find(idAttr); at != std::string::npos;
       at = html.find(idAttr, at + 1)) {
    const std::size_t s = at + idAttr.size();
    EXPECT_TRUE(ids.insert(html.substr(s, html.find('"', s) - s)).second)
        << "id twice: " << html.substr(s, html.find('"', s) - s);
  }
  int links = 0;
  const std::string href = "href=\"";
  for (std::size_t at = html.find(href); at != std::string::npos; at = html.find(href, at + 1)) {
    const std::size_t s = at + href.size();
    const std::string target = html.substr(s, html.find('"', s) - s);
    ++links;
    ASSERT_FALSE(target.empty());
    EXPECT_EQ(target[0], '#') << "link out of the manual: " << target;
    EXPECT_TRUE(ids.count(target.substr(1))) << "link to a missing place: " << target;
  }
  EXPECT_GT(links, 100);
  for (const char* banned : {"<script", "src=", "<link", "url(", "@import"})
    EXPECT_EQ(html.find(banned), std::string::npos) << banned;
  // The manual names every menu and menu item with the text the user sees in the menu bar.
  auto shown = [](std::string text) {
    std::erase(text, '&');  // the accelerator marker is not shown
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    return text;
  };
  for (const char* popup : shell::MenuPopups())
    EXPECT_NE(html.find(shown(popup)), std::string::npos) << popup;
  int items = 0;
  for (const auto& e : shell::MenuEntries()) {
    if (e.id == 0) continue;
    EXPECT_NE(html.find("<td>" + shown(e.text) + "</td>"), std::string::npos) << e.text;
    ++items;
  }
  EXPECT_GT(items, 40);
  // A shipped macro shown in the manual (<pre id="mac-NAME">) is the file as shipped.
  const std::string tag = "<pre id=\"mac-";
  int macros = 0;
  for (std::size_t at = html.find(tag); at != std::string::npos; at = html.find(tag, at + 1)) {
    const std::size_t nameStart = at + tag.size();
    const std::string name = html.substr(nameStart, html.find('"', nameStart) - nameStart);
    const std::size_t s = html.find('>', at) + 1;
    const std::string shownText = unescape(html.substr(s, html.find("</pre>", s) - s));
    std::string file = ReadFile(fs::path(LAVINOR_DATA_DIR) / (name + ".MAC"));
    ASSERT_FALSE(file.empty()) << name;
    std::erase(file, '\r');
    while (!file.empty() && file.back() == '\n') file.pop_back();
    EXPECT_EQ(shownText, file) << name;
    ++macros;
  }
  EXPECT_GE(macros, 2);
  // A parse with Python's html.parser: the tags nest and close, the page says it is UTF-8 and
  // is UTF-8, there is one style block.
  const fs::path check =
      fs::path(LAVINOR_DATA_DIR).parent_path() / "tests/shell/manual_html_check.py";
  const std::string cmd = "/usr/bin/python3 '" + check.string() + "' '" +
                          kManualInSources.string() + "' > out.txt 2>&1";
  const int status = std::system(cmd.c_str());
  const std::string out = ReadFile("out.txt");
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, "OK\n");
  // The manual is installed beside the program and found whatever the case of its name.
  for (const char* stored : {"HLP/LAVINOR.html", "hlp/Lavinor.HTML", "Hlp/lavinor.html"}) {
    const fs::path prog = dir / "prog";
    fs::remove_all(prog);
    fs::create_directories((prog / stored).parent_path());
    std::ofstream(prog / stored) << "manual";
    testing::HelpRecordingHost help;
    AppState helpApp{help};
    helpApp.programDir = prog.string();
    command::OpenHelp(helpApp);
    ASSERT_EQ(help.opened.size(), 1u) << stored;
    ASSERT_TRUE(fs::exists(help.opened[0])) << stored << ": " << help.opened[0];
    EXPECT_TRUE(fs::equivalent(help.opened[0], prog / stored)) << stored;
  }
  // Without the file the handler gets the expected path and reports it itself.
  fs::remove_all(dir / "prog");
  testing::HelpRecordingHost help;
  AppState helpApp{help};
  helpApp.programDir = (dir / "prog").string();
  command::PressKey(helpApp, command::Key::End);
  EXPECT_EQ(help.opened,
            std::vector<std::string>{(dir / "prog" / "HLP" / "LAVINOR.html").string()});
  // The copy installed beside the program is the manual (the help menu and the End key open it in
  // the windowed program's tests).
  const std::string installed = ReadFile(kProgramDir / "HLP" / "LAVINOR.html");
  ASSERT_FALSE(installed.empty()) << "not installed beside " << kProgramDir;
  EXPECT_EQ(installed, ReadFile(kManualInSources)) << "the installed copy is out of date";
}

// The command lines of an example marked class="run" go through the dispatcher as typed.
TEST_F(ManualTest, ExamplesMarkedToRunRunWithoutAnError) {
  const std::string tag = "<pre class=\"run\">";
  int examples = 0;
  for (std::size_t at = html.find(tag); at != std::string::npos; at = html.find(tag, at + 1)) {
    const std::size_t s = at + tag.size();
    std::istringstream example(unescape(html.substr(s, html.find("</pre>", s) - s)));
    for (std::string line; std::getline(example, line);) type(line);
    for (const auto& l : lines) EXPECT_EQ(l.find("ERROR"), std::string::npos) << l;
    for (const auto& b : host.boxes) ADD_FAILURE() << "box: " << b.text;
    EXPECT_EQ(app.dispatch.errorsReported, 0);
    ++examples;
  }
  EXPECT_GE(examples, 1);
}

}  // namespace
}  // namespace lav
