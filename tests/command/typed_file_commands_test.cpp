// File and cell commands typed with the shipped command file, as a user types them.
#include <gtest/gtest.h>

#include "db/cad_file.h"
#include "db/cell_directory.h"
#include "db/design_builder.h"
#include "support/short_forms.h"
#include "support/typing_session.h"

namespace lav::command {
namespace {

using TypedFileCommands = lav::testing::TypingSession;

TEST_F(TypedFileCommands, OpenCellAsksForTheNameAndKeepsALeadingMarker) {
  type("NEW T.CAD");
  type("MKCELL A");
  type("MKCELL B");
  struct Case {
    std::vector<std::string> typed;
    const char* opened;
    int marker;
  } cases[] = {
      {{"OCELL", "A"}, "A", 0},
      {{"OCELL 1", "B"}, "B", 1},
      {{"OCELL 0 A"}, "A", 0},
      {{"OCELL 1 B"}, "B", 1},
  };
  for (const auto& c : cases) {
    app.dispatch.resumeMarker = 7;
    for (const auto& t : c.typed) type(t);
    EXPECT_EQ(app.design.current.name, c.opened) << c.typed.front();
    EXPECT_EQ(app.dispatch.current, 0) << c.typed.front();
    EXPECT_EQ(app.dispatch.resumeMarker, c.marker) << c.typed.front();
  }
  EXPECT_TRUE(printed("Cell Name: A"));
  EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(TypedFileCommands, OnlyAnOpenCutShortSaysAbortion) {
  {
    db::DesignState d;
    db::testing::NewImage(d);
    db::testing::FillRealistic(d, 40, 400);
    const auto bytes = db::EncodeFile(d.image);
    testing::WriteFile("BIG.CAD", std::string(bytes.begin(), bytes.end()));
  }
  struct Case {
    const char* typed;
    bool escape;    // Escape pressed while it runs
    bool abortion;  // "*** Abortion ***" printed
    std::size_t boxes;
  } cases[] = {
      {"OPEN BIG.CAD", true, true, 0},
      {"OPEN NOSUCH", false, false, 1},  // the other refused opens are the design's tests
      {"OPEN BIG.CAD", false, false, 0},
  };
  for (const auto& c : cases) {
    host.onMessageStep = [&](bool& go) { go = go && !c.escape; };
    lines.clear();
    type(c.typed);
    EXPECT_EQ(printed("*** Abortion ***"), c.abortion) << c.typed;
    EXPECT_EQ(takeBoxes().size(), c.boxes) << c.typed;
    EXPECT_EQ(app.design.isOpen(), !c.abortion && c.boxes == 0) << c.typed;
  }
}

}  // namespace
}  // namespace lav::command
