// Plans that a reader sees exactly as the plain plan, written another way (hidden text,
// tracked rows, characters that show as nothing or as a dash, capitals by formatting,
// narrow spaces, list numbering), give exactly the plain plan's findings and marked
// cells; the same change made visible gives its finding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "docx/application.h"
#include "main/driver.h"
#include "support/case_table.h"
#include "support/phase_run.h"
#include "ui/scripted_frontend.h"

namespace kv::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Findings = std::tuple<Strings, Strings, Strings, Marks>;
using Place = std::function<void(WorkPlanDocument&, bool russian)>;

const std::string kToken = "{v}", kDeletedRow = "{deleted row}";

std::string& Heading5(WorkPlanDocument& plan) {
  return plan["HeadingI5"].heading;
}
// The token before the last two characters of the heading.
void SplitHeading5(WorkPlanDocument& plan, bool) {
  std::string& text = Heading5(plan);
  std::size_t at = text.size();
  for (int chars = 0; chars < 2; ++chars) {
    while ((text[--at] & 0xC0) == 0x80) {
    }
  }
  text.insert(at, kToken);
}
void NumberHeading5(WorkPlanDocument& plan, bool) {
  Heading5(plan) = kToken + Heading5(plan).substr(3);  // "5. " comes from the numbering
}
CellGrid& Schedule(WorkPlanDocument& plan) {
  return plan.TableOf("HeadingII7");
}
// Every number of four digits and more of the financial tables grouped by thousands with
// the token.
void GroupThousands(WorkPlanDocument& plan, bool) {
  for (Block& block : plan.Body("HeadingII9")) {
    for (auto& row : block.cells) {
      for (std::string& cell : row) {
        const std::size_t digits = cell.find_first_not_of("0123456789");
        if (digits != std::string::npos && cell[digits] != '.') continue;
        for (std::size_t at = std::min(digits, cell.size()); at > 3; at -= 3) {
          cell.insert(at - 3, kToken);
        }
      }
    }
  }
}

// The schedule's totals label as typed in small letters, for formatting to capitalise.
void TotalLabel(WorkPlanDocument& plan, bool russian) {
  Schedule(plan).back()[0] = kToken + (russian ? "Итого" : "Total");
}

// Puts the token where each kind of variant goes.
const std::map<std::string, Place> kPlaces = {
    {"after heading 5", [](auto& p, bool) { Heading5(p) += kToken; }},
    {"inside heading 5", SplitHeading5},
    {"numbered heading 5", NumberHeading5},
    {"after a total", [](auto& p, bool) { p.Cell("HeadingII9", 27, 4) += kToken; }},
    {"schedule row",
     [](auto& p, bool) {
       auto& rows = Schedule(p);
       rows.insert(rows.end() - 1, rows[2])->front().insert(0, kToken);
     }},
    {"table number",
     [](auto& p, bool) {
       std::string& number = p.Body("HeadingII9")[3].text;  // "TABLE 1-1"
       number.replace(number.find('-'), 1, kToken);
     }},
    {"totals label", TotalLabel},
    {"thousands", GroupThousands}};

// The whole run over the plan, `at` in its XML made `xml`; the chosen file stays as it was.
Findings Validate(const WorkPlanDocument& plan, bool russian, const std::string& at = "",
                  const std::string& xml = "") {
  const TempDir dir;
  const std::string path = dir / (russian ? "1234-wr.docx" : "1234-we.docx");
  plan.Save(path, [&](DocxBuilder& docx) {
    if (at.empty()) return;
    docx.Style(ReadTestFile("data/variant_styles.xml"))
        .Numbering(ReadTestFile("data/variant_numbering.xml"))
        .Edit([&](std::string& document) {
          for (auto i = document.find(at); i != std::string::npos;
               i = document.find(at, i + xml.size())) {
            document.replace(i, at.size(), xml);
          }
          for (auto i = document.find(kDeletedRow); i != std::string::npos;
               i = document.find(kDeletedRow)) {
            document.erase(i, kDeletedRow.size());
            document.insert(document.rfind("<w:tr>", i) + 6,
                            "<w:trPr><w:del w:id=\"90\" w:author=\"A\" "
                            "w:date=\"2024-01-01T00:00:00Z\"/></w:trPr>");
          }
        });
  });
  const std::string before = ReadFileBytes(path);
  report::RunLog log;
  ui::ScriptedFrontend frontend(path);
  validate::RunContext ctx(log, frontend);
  ctx.Document.CreateWordApp = [] { return word::CreateDocxApplication(); };
  run::RunOptions options;
  options.LogPath = dir / "kv.log";
  EXPECT_EQ(run::Main(ctx, options).Outcome, run::RunOutcome::Validated);
  EXPECT_EQ(ReadFileBytes(path), before);
  Marks marks;
  for (const auto& m : ctx.Document.MarkedCells) {
    marks.emplace_back(m.table, m.row, m.column, m.colour);
  }
  return {MessageLines(ctx.Messages.ErrorList), MessageLines(ctx.Messages.WarningList),
          MessageLines(ctx.Messages.InfoList), marks};
}

class ReadingVariants : public ::testing::TestWithParam<Case> {};

TEST_P(ReadingVariants, ReadAsThePlainPlanAndTheirVisibleControlsGiveTheirFindings) {
  const Case& variant = GetParam();
  for (const bool russian : {false, true}) {
    SCOPED_TRACE(russian ? "Russian" : "English");
    WorkPlanDocument plain = BuildWorkPlan({.russian = russian});
    Schedule(plain).back()[1] = "1";  // a finding below the rows the variants change
    const Findings expected = Validate(plain, russian);
    ASSERT_FALSE(std::get<3>(expected).empty());
    WorkPlanDocument plan = plain;
    kPlaces.at(variant[1])(plan, russian);
    EXPECT_EQ(Validate(plan, russian, variant[2], variant[3]), expected);
    EXPECT_THAT(std::get<0>(Validate(plan, russian, variant[2], variant[4])),
                Contains(HasSubstr(CatalogueByName(russian).at(variant[5]))));
  }
}
KV_CASES(ReadingVariants, "reading_variants");

}  // namespace
}  // namespace kv::testing
