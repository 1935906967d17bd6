#include "validate/file_name.h"

#include <gtest/gtest.h>

#include "report/run_log.h"
#include "ui/scripted_frontend.h"

namespace kv::validate {
namespace {

const std::string kNameReason =
    "File name must be N-we.doc or N-wr.doc, where N stands for the project number";
const std::string kExtensionReason = "File extension must be .doc";

struct Outcome {
  bool accepted;
  bool russian = false;
  std::string projectNumber = {};
  std::string projectType = {};
  bool special = false;
};

struct NameCase {
  std::string path;
  Outcome expected;
  std::string boxReason;  // "" when no box is shown
};

class FileNameTest : public ::testing::Test {
 protected:
  void Check(const NameCase& c) {
    report::RunLog log;
    ui::ScriptedFrontend frontend;
    RunContext ctx(log, frontend);
    ctx.ProjectNumber = "before";
    const bool accepted = CheckFileName(ctx, c.path);
    const Outcome& e = c.expected;
    EXPECT_EQ(accepted, e.accepted);
    EXPECT_EQ(ctx.DocLanguage, e.russian);
    EXPECT_EQ(ctx.ProjectNumber, e.projectNumber.empty() ? "before" : e.projectNumber);
    EXPECT_EQ(ctx.ProjectType, e.projectType);
    EXPECT_EQ(ctx.SpecialSeries, e.special);
    EXPECT_EQ(ctx.RequireCategoryOne, !e.special);
    EXPECT_EQ(ctx.ApplyGrantNorms, !e.special);
    if (c.boxReason.empty()) {
      EXPECT_TRUE(frontend.Boxes().empty());
    } else {
      ASSERT_EQ(frontend.Boxes().size(), 1u);
      EXPECT_EQ(frontend.Boxes()[0].text, "Incorrect file name:\n" + c.path + "\n" + c.boxReason);
      EXPECT_EQ(frontend.Boxes()[0].title, "");
      EXPECT_EQ(frontend.Boxes()[0].icon, ui::Icon::Stop);
    }
  }

  void CheckAll(const std::vector<NameCase>& cases) {
    for (const NameCase& c : cases) {
      SCOPED_TRACE(c.path);
      Check(c);
    }
  }
};

TEST_F(FileNameTest, AcceptsTheDocumentedForms) {
  CheckAll({
      {"/home/u/1234-we.doc", {true, false, "1234"}, ""},
      {"/home/u/1234-wr.doc", {true, true, "1234"}, ""},
      {"/home/u/1234.1-we.doc", {true, false, "1234.1"}, ""},
      {"/home/u/1234-1-wr.doc", {true, true, "1234-1"}, ""},
      {"/home/u/1234.2F-we.doc", {true, false, "1234.2F"}, ""},
      {"/home/u/1234.2f-we.doc", {true, false, "1234.2F"}, ""},
      {"/home/u/kr-123.2-we.doc", {true, false, "KR-123.2"}, ""},
      {"/home/u/A-0123-we.doc", {true, false, "A-0123"}, ""},
      {"/home/u/G-1999-we.doc", {true, false, "G-1999"}, ""},
      {"/x/1-we.doc", {true, false, "1"}, ""},  // the shortest path accepted
      {"/home/u/CSP-123-we.doc", {true, false, "CSP-123", "s", true}, ""},
      {"/home/u/CI-123.1-wr.doc", {true, true, "CI-123.1", "s", true}, ""},
      {"/home/u/TI-123-we.doc", {true, false, "TI-123", "", true}, ""},
      {"/home/u/12-we.doc", {true, false, "12"}, ""},
      {"/home/u/1234-WR.DOC", {true, true, "1234"}, ""},
      {"1234-we.doc", {true, false, "1234"}, ""},
      {"/home/u/Планы/1234-wr.doc", {true, true, "1234"}, ""},
      {"/plans.doc/1234-we.doc", {true, false, "1234"}, ""},
  });
}

TEST_F(FileNameTest, RefusesWithTheNameMessage) {
  CheckAll({
      {"/home/u/1234.0-we.doc", {false, false, "1234.0"}, kNameReason},
      {"/home/u/1234.123-we.doc", {false, false, "1234.123"}, kNameReason},
      {"/home/u/1234.G-we.doc", {false, false, "1234.G"}, kNameReason},
      {"/home/u/1234.-we.doc", {false, false, "1234."}, kNameReason},
      {"/home/u/123.1-we.doc", {false}, kNameReason},
      {"/home/u/12345.1-we.doc", {false}, kNameReason},
      {"/home/u/A-2000-we.doc", {false}, kNameReason},
      {"/home/u/K-12345.1-we.doc", {false}, kNameReason},
      {"/home/u/CSP-12-we.doc", {false, false, "", "s", true}, kNameReason},
      {"/home/u/TI-1234-we.doc", {false, false, "", "", true}, kNameReason},
      {"/home/u/CI-12.1-we.doc", {false, false, "", "s", true}, kNameReason},
      {"/home/u/A--we.doc", {false}, kNameReason},
      {"/home/u/-we.doc", {false}, kNameReason},
      {"/home/u/12a4-we.doc", {false}, kNameReason},
      {"/home/u/1234-wx.doc", {false}, kNameReason},
      {"/home/u/1234we.doc", {false}, kNameReason},
      {"/1234we.doc", {false}, kNameReason},
      {"12-we.doc", {false}, kNameReason},
      {"/home/u/B-12.3-we.doc", {false}, kNameReason},
      {"a.txt", {false}, kNameReason},
      {"/home/u/Планы-we.doc", {false}, kNameReason},
  });
}

TEST_F(FileNameTest, RefusesOtherExtensionsWithTheExtensionMessage) {
  CheckAll({
      {"/home/u/1234-we.pdf", {false}, kExtensionReason},
      {"/home/u/1234-we.do", {false}, kExtensionReason},
      {"/home/u/1234-we.docm", {false}, kExtensionReason},
      {"/home/u/1234-we.doc.bak", {false}, kExtensionReason},
      {"/home/u", {false}, kNameReason},  // two files chosen: only their folder comes back
      {"/home/user/Documents", {false}, kExtensionReason},
  });
}

TEST_F(FileNameTest, AcceptsDocxWithTheSameRules) {
  CheckAll({
      {"/home/u/1234-we.docx", {true, false, "1234"}, ""},
      {"/home/u/1234.2F-wr.DOCX", {true, true, "1234.2F"}, ""},
      {"/home/u/CSP-123-we.docx", {true, false, "CSP-123", "s", true}, ""},
      {"/home/u/A-2000-we.docx", {false}, kNameReason},
      {"/home/u/1234-wx.docx", {false}, kNameReason},
      {"x/1-we.docx", {true, false, "1"}, ""},
      {"/1-we.docx", {false}, kNameReason},
  });
}

TEST_F(FileNameTest, RefusesA16BitOverflowAfterAPrefixSilently) {
  CheckAll({
      {"/home/u/A-123456-we.doc", {false}, ""},
      {"/home/u/T-32768-we.doc", {false}, ""},
      {"/home/u/T-32767-we.doc", {false}, kNameReason},
      {"/home/u/123456-we.doc", {true, false, "123456"}, ""},
  });
}

TEST_F(FileNameTest, ResetsTheFlagsOfAnEarlierName) {
  report::RunLog log;
  ui::ScriptedFrontend frontend;
  RunContext ctx(log, frontend);
  ASSERT_TRUE(CheckFileName(ctx, "/p/CSP-123-wr.doc"));
  EXPECT_FALSE(CheckFileName(ctx, "/p/1234-we.txt"));
  EXPECT_FALSE(ctx.DocLanguage);
  EXPECT_EQ(ctx.ProjectType, "");
  EXPECT_FALSE(ctx.SpecialSeries);
  EXPECT_TRUE(ctx.RequireCategoryOne);
  EXPECT_TRUE(ctx.ApplyGrantNorms);
  EXPECT_EQ(ctx.ProjectNumber, "CSP-123");  // left as it was
}

TEST(ValidatedPathFor, InsertsBeforeTheExtensionOfTheFileNameOnly) {
  struct Case {
    std::string selected, validated;
  };
  const Case cases[] = {
      {"/home/u/1234-we.doc", "/home/u/1234-we-validated.doc"},
      {"/home/u/1234-we.docx", "/home/u/1234-we-validated.docx"},
      {"/home/u/1234-WE.DOC", "/home/u/1234-WE-validated.DOC"},
      {"/home/plans.doc/1234-we.doc", "/home/plans.doc/1234-we-validated.doc"},
      {"/home/a.doc.b/1234.1-wr.Doc", "/home/a.doc.b/1234.1-wr-validated.Doc"},
      {"1234-we.doc", "1234-we-validated.doc"},
      {"/home/Планы/1234-wr.doc", "/home/Планы/1234-wr-validated.doc"},
      {"/home/v.1/name", "/home/v.1/name-validated"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ValidatedPathFor(c.selected), c.validated);
    EXPECT_NE(ValidatedPathFor(c.selected), c.selected);
  }
}

}  // namespace
}  // namespace kv::validate
