#include "validate/file_name.h"

#include <gtest/gtest.h>

#include "report/run_log.h"
#include "ui/scripted_frontend.h"

namespace kv::validate {
namespace {

const std::string kName =
    "File name must be N-we.doc or N-wr.doc, where N stands for the project number";
const std::string kExtension = "File extension must be .doc";

struct Outcome {
  bool accepted;
  bool russian = false;
  std::string projectNumber = {};  // "" when it is left as it was
  std::string projectType = {};
  bool special = false;
};

struct NameCase {
  std::string path;
  Outcome expected;
  std::string boxReason = {};  // "" when no box is shown
};

// One context for all the names: each must reset the flags an earlier one set.
void CheckAll(std::initializer_list<NameCase> cases) {
  report::RunLog log;
  ui::ScriptedFrontend frontend;
  RunContext ctx(log, frontend);
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.path);
    ctx.ProjectNumber = "before";
    const std::size_t boxes = frontend.Boxes().size();
    const Outcome& e = c.expected;
    EXPECT_EQ(CheckFileName(ctx, c.path), e.accepted);
    EXPECT_EQ(ctx.DocLanguage, e.russian);
    EXPECT_EQ(ctx.ProjectNumber, e.projectNumber.empty() ? "before" : e.projectNumber);
    EXPECT_EQ(ctx.ProjectType, e.projectType);
    EXPECT_EQ(ctx.SpecialSeries, e.special);
    EXPECT_EQ(ctx.RequireCategoryOne, !e.special);
    EXPECT_EQ(ctx.ApplyGrantNorms, !e.special);
    ASSERT_EQ(frontend.Boxes().size(), boxes + (c.boxReason.empty() ? 0 : 1));
    if (c.boxReason.empty()) continue;
    EXPECT_EQ(frontend.Boxes().back().text, "Incorrect file name:\n" + c.path + "\n" + c.boxReason);
    EXPECT_EQ(frontend.Boxes().back().title, "");
    EXPECT_EQ(frontend.Boxes().back().icon, ui::Icon::Stop);
  }
}

TEST(CheckFileName, AcceptsTheDocumentedFormsAsDocOrDocx) {
  CheckAll({
      {"/home/u/1234-we.doc", {true, false, "1234"}},
      {"/home/u/1234-wr.doc", {true, true, "1234"}},
      {"/home/u/1234.1-we.doc", {true, false, "1234.1"}},
      {"/home/u/1234-1-wr.doc", {true, true, "1234-1"}},
      {"/home/u/1234.2F-we.doc", {true, false, "1234.2F"}},
      {"/home/u/1234.2f-we.doc", {true, false, "1234.2F"}},
      {"/home/u/kr-123.2-we.doc", {true, false, "KR-123.2"}},
      {"/home/u/A-0123-we.doc", {true, false, "A-0123"}},
      {"/home/u/G-1999-we.doc", {true, false, "G-1999"}},
      {"/x/1-we.doc", {true, false, "1"}},  // the shortest path accepted
      {"/home/u/CSP-123-we.doc", {true, false, "CSP-123", "s", true}},
      {"/home/u/CI-123.1-wr.doc", {true, true, "CI-123.1", "s", true}},
      {"/home/u/TI-123-we.doc", {true, false, "TI-123", "", true}},
      {"/home/u/1234-WR.DOC", {true, true, "1234"}},
      {"1234-we.doc", {true, false, "1234"}},
      {"/home/u/Планы/1234-wr.doc", {true, true, "1234"}},
      {"/home/u/123456-we.doc", {true, false, "123456"}},
      {"/home/u/1234.2F-wr.DOCX", {true, true, "1234.2F"}},
      {"x/1-we.docx", {true, false, "1"}},
  });
}

TEST(CheckFileName, RefusesWithTheNameOrTheExtensionMessage) {
  CheckAll({
      {"/home/u/1234.0-we.doc", {false, false, "1234.0"}, kName},
      {"/home/u/1234.123-we.doc", {false, false, "1234.123"}, kName},
      {"/home/u/1234.G-we.doc", {false, false, "1234.G"}, kName},
      {"/home/u/1234.-we.doc", {false, false, "1234."}, kName},
      {"/home/u/123.1-we.doc", {false}, kName},
      {"/home/u/12345.1-we.doc", {false}, kName},
      {"/home/u/A-2000-we.doc", {false}, kName},
      {"/home/u/K-12345.1-we.doc", {false}, kName},
      {"/home/u/CSP-12-we.doc", {false, false, "", "s", true}, kName},
      {"/home/u/A--we.doc", {false}, kName},
      {"/home/u/-we.doc", {false}, kName},
      {"/home/u/12a4-we.doc", {false}, kName},
      {"/home/u/1234-wx.doc", {false}, kName},
      {"/home/u/1234we.doc", {false}, kName},
      {"12-we.doc", {false}, kName},
      {"/home/u/B-12.3-we.doc", {false}, kName},
      {"a.txt", {false}, kName},
      {"/1-we.docx", {false}, kName},
      {"/home/u", {false}, kName},  // two files chosen: only their folder comes back
      {"/home/u/1234-we.docm", {false}, kExtension},
      {"/home/u/1234-we.doc.bak", {false}, kExtension},
      {"/home/user/Documents", {false}, kExtension},
      // A number beyond 16 bits after a series prefix is refused without a box.
      {"/home/u/A-123456-we.doc", {false}},
      {"/home/u/T-32768-we.doc", {false}},
      {"/home/u/T-32767-we.doc", {false}, kName},
  });
}

TEST(ValidatedPathFor, InsertsBeforeTheExtensionOfTheFileNameOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/u/1234-we.doc", "/home/u/1234-we-validated.doc"},
      {"/home/u/1234-WE.DOC", "/home/u/1234-WE-validated.DOC"},  // never the chosen file
      {"/home/a.doc.b/1234.1-wr.Doc", "/home/a.doc.b/1234.1-wr-validated.Doc"},
      {"1234-we.doc", "1234-we-validated.doc"},
      {"/home/Планы/1234-wr.doc", "/home/Планы/1234-wr-validated.doc"},
      {"/home/v.1/name", "/home/v.1/name-validated"},
  };
  for (const auto& [selected, validated] : cases) EXPECT_EQ(ValidatedPathFor(selected), validated);
}

}  // namespace
}  // namespace kv::validate
