// Plans that a reader sees exactly as the plain plan, written another way (hidden text,
// tracked rows, characters that show as nothing or as a dash, capitals by formatting,
// narrow spaces, list numbering), give exactly the plain plan's findings and marked
// cells; the same change made visible gives its finding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "docx/application.h"
#include "main/driver.h"
#include "support/phase_run.h"
#include "text/catalogue.h"
#include "ui/scripted_frontend.h"

namespace kv::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Findings = std::tuple<Strings, Strings, Strings, Marks>;
using Place = std::function<void(WorkPlanDocument&, bool russian)>;

const std::string kToken = "{v}", kDeletedRow = "{deleted row}";

// What follows the token in its run takes these run properties.
std::string Run(const std::string& properties, const std::string& text = "") {
  return "</w:t></w:r><w:r><w:rPr>" + properties + "</w:rPr><w:t xml:space=\"preserve\">" + text;
}
// What follows the token is a new paragraph with these properties.
std::string NewParagraph(const std::string& properties, const std::string& text) {
  return "</w:t></w:r></w:p><w:p><w:pPr>" + properties + "</w:pPr><w:r><w:t>" + text;
}
std::string NumPr(const std::string& numId) {
  return "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"" + numId + "\"/></w:numPr>";
}
const std::string kHeadingStart = "</w:pPr><w:r><w:t xml:space=\"preserve\">" + kToken;
const std::string kStyles =
    "<w:style w:type=\"character\" w:styleId=\"Hidden\"><w:rPr><w:vanish/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Small\"><w:rPr><w:smallCaps/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Note\"><w:rPr><w:vanish/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Arabic\"><w:basedOn w:val=\"Heading2\"/><w:pPr>" +
    NumPr("1") +
    "</w:pPr></w:style><w:style w:type=\"paragraph\" w:styleId=\"Roman\">"
    "<w:basedOn w:val=\"Heading2\"/><w:pPr>" +
    NumPr("2") + "</w:pPr></w:style>";
// Lists 1 and 2 count from 5, in Arabic and in Roman numerals.
const std::string kNumbering =
    "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"5\"/><w:numFmt "
    "w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum><w:abstractNum "
    "w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"5\"/><w:numFmt "
    "w:val=\"upperRoman\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum><w:num "
    "w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num><w:num w:numId=\"2\"><w:abstractNumId "
    "w:val=\"1\"/></w:num>";

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
void AfterHeading5(WorkPlanDocument& plan, bool) {
  Heading5(plan) += kToken;
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

struct Variant {
  const char* name;
  Place place;                                // puts the token where the variant goes
  std::string at;                             // the XML that holds the token
  std::string shown, control;                 // what it becomes: the variant, the control
  std::string text::TextCatalogue::*finding;  // in an error of the control
};

const Variant kVariants[] = {
    {"hidden note after a heading", AfterHeading5, kToken, Run("<w:vanish/>", " (see note)"),
     Run("", " (see note)"), &text::TextCatalogue::MsgIncorrectHeading},
    {"hidden digit after a total", [](auto& p, bool) { p.Cell("HeadingII9", 27, 4) += kToken; },
     kToken, Run("<w:rStyle w:val=\"Hidden\"/>", "7"), Run("", "7"),
     &text::TextCatalogue::MsgBadValuesInCells},
    {"hidden paragraph by its style", AfterHeading5, kToken,
     NewParagraph("<w:pStyle w:val=\"Note\"/>", "Note"), NewParagraph("", "Note"),
     &text::TextCatalogue::MsgDurationIncorrect},
    {"row deleted with tracking",
     [](auto& p, bool) {
       auto& rows = Schedule(p);
       rows.insert(rows.end() - 1, rows[2])->front().insert(0, kToken);
     },
     kToken, kDeletedRow, "", &text::TextCatalogue::MsgBadValuesInCells},
    {"non-breaking hyphen",
     [](auto& p, bool) {
       std::string& number = p.Body("HeadingII9")[3].text;  // "TABLE 1-1"
       number.replace(number.find('-'), 1, kToken);
     },
     kToken, "</w:t><w:noBreakHyphen/><w:t xml:space=\"preserve\">", " ",
     &text::TextCatalogue::MsgTableNumberMissing},
    {"optional hyphens", SplitHeading5, kToken,
     "</w:t><w:softHyphen/><w:t xml:space=\"preserve\">\u00AD", "-",
     &text::TextCatalogue::MsgSectionMissing},
    {"zero-width characters", SplitHeading5, kToken, "\u200B\u2060\uFEFF", "\u2012",
     &text::TextCatalogue::MsgSectionMissing},
    {"all capitals", TotalLabel, kToken, Run("<w:caps/>"), Run(""),
     &text::TextCatalogue::MsgLastRowNotTotals},
    {"small capitals by a character style", TotalLabel, kToken, Run("<w:rStyle w:val=\"Small\"/>"),
     Run(""), &text::TextCatalogue::MsgLastRowNotTotals},
    {"narrow no-break spaces", GroupThousands, kToken, "\u202F", "_",
     &text::TextCatalogue::MsgBadTextInCells},
    {"thin spaces", GroupThousands, kToken, "\u2009", "_", &text::TextCatalogue::MsgBadTextInCells},
    {"figure spaces", GroupThousands, kToken, "\u2007", "_",
     &text::TextCatalogue::MsgBadTextInCells},
    {"heading numbered as a list", NumberHeading5, kHeadingStart, NumPr("1") + "</w:pPr><w:r><w:t>",
     NumPr("2") + "</w:pPr><w:r><w:t>", &text::TextCatalogue::MsgSectionMissing},
    {"heading numbered by its style", NumberHeading5, "Heading2\"/>" + kHeadingStart,
     "Arabic\"/></w:pPr><w:r><w:t>", "Roman\"/></w:pPr><w:r><w:t>",
     &text::TextCatalogue::MsgSectionMissing},
};

// The whole run over the plan, `at` in its XML made `xml`; the chosen file stays as it was.
Findings Validate(const WorkPlanDocument& plan, bool russian, const std::string& at = "",
                  const std::string& xml = "") {
  const TempDir dir;
  const std::string path = dir / (russian ? "1234-wr.docx" : "1234-we.docx");
  plan.Save(path, [&](DocxBuilder& docx) {
    if (at.empty()) return;
    docx.Style(kStyles).Numbering(kNumbering).Edit([&](std::string& document) {
      for (auto i = document.find(at); i != std::string::npos;
           i = document.find(at, i + xml.size())) {
        document.replace(i, at.size(), xml);
      }
      for (auto i = document.find(kDeletedRow); i != std::string::npos;
           i = document.find(kDeletedRow)) {
        document.erase(i, kDeletedRow.size());
        document.insert(
            document.rfind("<w:tr>", i) + 6,
            "<w:trPr><w:del w:id=\"90\" w:author=\"A\" w:date=\"2024-01-01T00:00:00Z\"/></w:trPr>");
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

TEST(ReadingVariants, ReadAsThePlainPlanAndTheirVisibleControlsGiveTheirFindings) {
  for (const bool russian : {false, true}) {
    WorkPlanDocument plain = BuildWorkPlan({.russian = russian});
    Schedule(plain).back()[1] = "1";  // a finding below the rows the variants change
    const Findings expected = Validate(plain, russian);
    ASSERT_FALSE(std::get<3>(expected).empty());
    report::RunLog log;
    text::TextCatalogue catalogue;
    text::InitTextCatalogue(catalogue, russian, log);
    for (const Variant& variant : kVariants) {
      SCOPED_TRACE(std::string(variant.name) + (russian ? " (Russian)" : " (English)"));
      WorkPlanDocument plan = plain;
      variant.place(plan, russian);
      EXPECT_EQ(Validate(plan, russian, variant.at, variant.shown), expected);
      EXPECT_THAT(std::get<0>(Validate(plan, russian, variant.at, variant.control)),
                  Contains(HasSubstr(catalogue.*variant.finding)));
    }
  }
}

}  // namespace
}  // namespace kv::testing
