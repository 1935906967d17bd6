#include "validate/structure.h"

#include <gtest/gtest.h>

#include "support/forwarding_word_app.h"
#include "support/phase_run.h"
#include "support/work_plan_builder.h"
#include "word/text_rules.h"

namespace kv::testing {
namespace {

using Strings = std::vector<std::string>;

const std::string kSequence = "Incorrect section sequence. No further validation done.";
const std::string kSequenceRu = "Неправильная последовательность разделов. Проверка прервана.";
const std::string kInSection32 = "Error in Section 3.2. Other Participating Institutions";

struct Box {
  std::string text;
  std::string title;
  ui::Icon icon;
  bool operator==(const Box&) const = default;
};

std::vector<Box> Boxes(const std::vector<ui::ShownBox>& shown) {
  std::vector<Box> boxes;
  for (const auto& b : shown) boxes.push_back({b.text, b.title, b.icon});
  return boxes;
}

Box Exclamation(const std::string& text) {
  return {text, "", ui::Icon::Exclamation};
}

const Box kGrantQuestion{"Is this a Project Development Grant?", "Duration<9 months",
                         ui::Icon::None};

class StructureTest : public ::testing::Test {
 protected:
  // A fresh run for a plan in the given language; returns that plan's description.
  WorkPlan UseRun(bool russian, bool grantAnswer = false) {
    run_ = std::make_unique<PhaseRun>(russian, grantAnswer);
    WorkPlan plan;
    plan.russian = russian;
    return plan;
  }

  bool Check(const WorkPlanDocument& doc) {
    EXPECT_TRUE(run().Open(doc));
    return validate::StructureCheck(run().ctx);
  }

  PhaseRun& run() { return *run_; }
  validate::RunContext& ctx() { return run_->ctx; }
  std::vector<Box> ShownBoxes() const { return Boxes(run_->frontend.Boxes()); }
  std::vector<Box> Questions() const { return Boxes(run_->frontend.Questions()); }

 private:
  std::unique_ptr<PhaseRun> run_ = std::make_unique<PhaseRun>();
};

TEST_F(StructureTest, CleanPlanInBothLanguages) {
  for (bool russian : {false, true}) {
    SCOPED_TRACE(russian);
    WorkPlan plan = UseRun(russian);
    EXPECT_TRUE(Check(BuildWorkPlan(plan)));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(ShownBoxes(), std::vector<Box>{});
    EXPECT_EQ(Questions(), std::vector<Box>{});
    EXPECT_EQ(ctx().ParticipantCount, 2);
    EXPECT_EQ(ctx().ProjectDurationMonths, 24);
    EXPECT_EQ(ctx().ProjectDurationQuarters, 8);
    EXPECT_EQ(ctx().ProjectDurationYears, 2);
    EXPECT_EQ(ctx().ProjectType, "");
  }
}

TEST_F(StructureTest, WithoutPartOneNothingElseIsSearched) {
  auto doc = BuildWorkPlan();
  doc["HeadingI"].heading = "";
  doc.Remove("HeadingI5");  // would be reported if the check went on
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(), (Strings{"Missing Part I. Summary Project Information", kSequence}));
  EXPECT_EQ(ctx().ProjectDurationMonths, 0);
}

TEST_F(StructureTest, HeadingBeforeItsPredecessorIsMissing) {
  auto doc = BuildWorkPlan();
  doc.MoveBefore("HeadingI2", "HeadingI1");
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(), (Strings{"Section missing : 2. Project Manager", kSequence}));
}

TEST_F(StructureTest, EveryMissingSectionIsReported) {
  auto doc = BuildWorkPlan();
  doc.Remove("HeadingI4");
  doc.Remove("HeadingI6");
  doc.Remove("HeadingII6");
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(),
            (Strings{"Section missing : 4. Foreign Collaborators/Partners",
                     "Section missing : 6. Project Location and Equipment",
                     "Section missing : 6. Technical Approach and Methodology", kSequence}));
  EXPECT_EQ(ctx().ProjectDurationMonths, 24);
}

TEST_F(StructureTest, PartTwoMissingEndsTheCheck) {
  WorkPlan plan = UseRun(true);
  auto doc = BuildWorkPlan(plan);
  doc["HeadingII"].heading = "";
  doc.Remove("HeadingII1");  // would be reported if the check went on
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(),
            (Strings{"Отсутствует часть II. Подробная Информация по Проекту", kSequenceRu}));
}

TEST_F(StructureTest, PartTwoMayUseTheDetailedHeading) {
  auto doc = BuildWorkPlan();
  doc["HeadingII"].heading = "II.  Detailed\tProject Information";
  EXPECT_TRUE(Check(doc));
  EXPECT_EQ(run().Errors(), Strings{});
}

TEST_F(StructureTest, ParticipantLabelsInAnyLetterCase) {
  for (bool russian : {false, true}) {
    SCOPED_TRACE(russian);
    WorkPlan plan = UseRun(russian);
    plan.participants = 3;
    auto doc = BuildWorkPlan(plan);
    auto& entries = doc.Body("HeadingI32");
    entries[0].text = russian ? "институт-участник 1" : "participant institution 1";
    entries[2].text = russian ? "ИНСТИТУТ-УЧАСТНИК 2" : "PARTICIPANT INSTITUTION 2";
    entries.insert(entries.begin() + 3, Paragraph(""));  // empty lines before a table
    EXPECT_TRUE(Check(doc));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(ctx().ParticipantCount, 3);
  }
}

TEST_F(StructureTest, GapInTheNumberingEndsTheList) {
  WorkPlan plan;
  plan.participants = 3;
  auto doc = BuildWorkPlan(plan);
  doc.Body("HeadingI32")[4].text = "Participant Institution 4";
  EXPECT_TRUE(Check(doc));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(ctx().ParticipantCount, 2);
}

TEST_F(StructureTest, NoParticipantsWithoutSectionThreeTwo) {
  auto doc = BuildWorkPlan();
  doc.Remove("HeadingI32");
  ctx().ParticipantCount = 5;
  EXPECT_TRUE(Check(doc));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(ctx().ParticipantCount, 0);
}

TEST_F(StructureTest, TextInsteadOfParticipantTable) {
  auto doc = BuildWorkPlan();
  auto& entries = doc.Body("HeadingI32");
  entries.insert(entries.begin() + 1, Paragraph("See  the attached letter."));
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(), (Strings{"Unexpected text instead of table: See the attached letter.",
                                     "Participant Institution 1", kInSection32, kSequence}));
  EXPECT_EQ(
      ShownBoxes(),
      (std::vector<Box>{Exclamation("Unexpected text instead of table: See the attached letter.\n"
                                    "Participant Institution 1")}));
  EXPECT_EQ(ctx().ParticipantCount, 0);
  EXPECT_EQ(ctx().ProjectDurationMonths, 24);  // the check goes on
}

TEST_F(StructureTest, ParticipantTableWithoutLabel) {
  WorkPlan plan = UseRun(true);
  auto doc = BuildWorkPlan(plan);
  auto& entries = doc.Body("HeadingI32");
  entries[2] = Paragraph("");  // the label of the second entry
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(),
            (Strings{"Таблица без заголовка: Институт-Участник 2",
                     "Ошибка в секции 3.2. Другие Институты-Участники", kSequenceRu}));
  EXPECT_EQ(ShownBoxes(),
            (std::vector<Box>{Exclamation("Таблица без заголовка: Институт-Участник 2")}));
  EXPECT_EQ(ctx().ParticipantCount, 1);
}

struct DurationCase {
  std::string line;
  std::vector<std::string> errors;  // before the closing sequence error
  int months, quarters, years;
  bool asked;
};

TEST_F(StructureTest, DurationLines) {
  const DurationCase cases[] = {
      {"24 months", {}, 24, 8, 2, false},
      {"1 month", {}, 1, 1, 1, true},
      {"7 months", {}, 7, 3, 1, true},
      {"9 months", {}, 9, 3, 1, true},
      {"10 months", {}, 10, 4, 1, false},
      {"13 months", {}, 13, 5, 2, false},
      {"120 months", {"Project duration incorrect: 120 months"}, 0, 0, 0, false},
      {"twelve months", {"Project duration incorrect: twelve months"}, 0, 0, 0, false},
      {"ab months", {"Project duration incorrect: ab"}, 0, 0, 0, false},
      {"24months", {"Project duration incorrect: 24months"}, 0, 0, 0, false},
      {"-3 months", {"Project duration incorrect: -3"}, 0, 0, 0, false},
      {"0 months", {}, 0, 0, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    UseRun(false);
    auto doc = BuildWorkPlan();
    doc.Body("HeadingI5") = {Paragraph(""), Paragraph(c.line)};
    EXPECT_EQ(Check(doc), c.errors.empty());
    Strings errors = c.errors;
    if (!errors.empty()) errors.push_back(kSequence);
    EXPECT_EQ(run().Errors(), errors);
    EXPECT_EQ(ctx().ProjectDurationMonths, c.months);
    EXPECT_EQ(ctx().ProjectDurationQuarters, c.quarters);
    EXPECT_EQ(ctx().ProjectDurationYears, c.years);
    EXPECT_EQ(Questions(), c.asked ? std::vector<Box>{kGrantQuestion} : std::vector<Box>{});
    EXPECT_EQ(ctx().ProjectType, "");  // the question was answered No
  }
}

TEST_F(StructureTest, RussianDurationLine) {
  WorkPlan plan = UseRun(true);
  plan.months = 36;
  auto doc = BuildWorkPlan(plan);
  EXPECT_EQ(doc.Body("HeadingI5")[0].text, "36 месяцев");
  EXPECT_TRUE(Check(doc));
  EXPECT_EQ(ctx().ProjectDurationMonths, 36);
  EXPECT_EQ(ctx().ProjectDurationYears, 3);

  UseRun(true);
  doc.Body("HeadingI5")[0].text = "двенадцать месяцев";
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(),
            (Strings{"Неправильная продолжительность проекта: двенадцать месяцев", kSequenceRu}));
}

TEST_F(StructureTest, DurationNotFound) {
  auto beforeTable = BuildWorkPlan();
  beforeTable.Body("HeadingI5") = {Paragraph(""), Table({{"24", "months"}})};
  EXPECT_FALSE(Check(beforeTable));
  EXPECT_EQ(run().Errors(), (Strings{"Project duration not found", kSequence}));

  // Nothing at all below the heading but the end of the document.
  UseRun(false);
  auto atTheEnd = BuildWorkPlan();
  atTheEnd.sections.erase(atTheEnd.sections.begin() + 11, atTheEnd.sections.end());
  atTheEnd.Body("HeadingI5").clear();
  EXPECT_FALSE(Check(atTheEnd));
  EXPECT_EQ(run().Errors(), (Strings{"Project duration not found",
                                     "Section missing : 6. Project Location and Equipment",
                                     "Missing Part II. Specific Information", kSequence}));
}

TEST_F(StructureTest, ConfirmedProjectDevelopmentGrant) {
  UseRun(false, true);
  WorkPlan plan;
  plan.months = 6;
  plan.partnersTable = true;  // the grant answer comes later and wins
  EXPECT_TRUE(Check(BuildWorkPlan(plan)));
  EXPECT_EQ(Questions(), std::vector<Box>{kGrantQuestion});
  EXPECT_EQ(ctx().ProjectType, "2");
}

TEST_F(StructureTest, SpecialSeriesIsNotAsked) {
  UseRun(false, true);
  ctx().SpecialSeries = true;
  ctx().ProjectType = "s";
  WorkPlan plan;
  plan.months = 6;
  EXPECT_TRUE(Check(BuildWorkPlan(plan)));
  EXPECT_EQ(Questions(), std::vector<Box>{});
  EXPECT_EQ(ctx().ProjectType, "s");
}

TEST_F(StructureTest, DurationHeadingInsideALongerLine) {
  auto doc = BuildWorkPlan();
  doc["HeadingI5"].heading = "5. Project Duration: 24 months";
  doc.Body("HeadingI5").clear();
  EXPECT_TRUE(Check(doc));
  EXPECT_EQ(run().Errors(), (Strings{"Incorrect heading:", "5. Project Duration: 24 months",
                                     "Expected:", "5. Project Duration"}));
  EXPECT_EQ(ShownBoxes(), (std::vector<Box>{Exclamation(
                              "Incorrect heading:\n5. Project Duration: 24 months\nExpected:\n"
                              "5. Project Duration")}));
  EXPECT_EQ(ctx().ProjectDurationMonths, 0);
  EXPECT_EQ(ctx().ProjectDurationQuarters, 0);
}

TEST_F(StructureTest, PartnersSectionSetsTheProjectType) {
  const struct {
    bool section, table;
    std::string before, after;
  } cases[] = {
      {true, true, "", "4"},   {true, false, "4", ""},   {true, false, "s", "s"},
      {true, false, "2", "2"}, {false, false, "4", "4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section ? "section" : "none") + (c.table ? " table " : " text ") +
                 c.before);
    UseRun(false);
    ctx().ProjectType = c.before;
    WorkPlan plan;
    plan.partnersTable = c.table;
    auto doc = BuildWorkPlan(plan);
    if (!c.section) doc.Remove("HeadingI42");
    EXPECT_TRUE(Check(doc));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(ctx().ProjectType, c.after);
  }
}

TEST_F(StructureTest, PartnersHeadingWithMoreText) {
  WorkPlan plan = UseRun(true);
  auto doc = BuildWorkPlan(plan);
  doc["HeadingI42"].heading = "4.2. Партнеры (нет)";
  EXPECT_FALSE(Check(doc));
  EXPECT_EQ(run().Errors(),
            (Strings{"Неправильное название раздела:", "4.2. Партнеры (нет)",
                     "Ожидается:", "4.2. Партнеры", "Ошибка в секции 4.2. Партнеры", kSequenceRu}));
  EXPECT_EQ(ShownBoxes(),
            (std::vector<Box>{Exclamation("Неправильное название раздела:\n4.2. Партнеры (нет)\n"
                                          "Ожидается:\n4.2. Партнеры")}));
}

struct FailingGoToNext : ForwardingWordApplication {
  using ForwardingWordApplication::ForwardingWordApplication;
  void GoToNext(int) override { throw word::WordError("the word processor stopped"); }
};

struct FailingTables : ForwardingWordApplication {
  using ForwardingWordApplication::ForwardingWordApplication;
  word::TableId Tables1() const override { throw word::WordError("the word processor stopped"); }
};

TEST_F(StructureTest, WordProcessorFailureEndsTheCheck) {
  ctx().Document.CreateWordApp = OverDocxApplication<FailingGoToNext>();
  EXPECT_FALSE(Check(BuildWorkPlan()));
  EXPECT_EQ(run().Errors(), Strings{kSequence});
}

TEST_F(StructureTest, WordProcessorFailureInAParticipantEntry) {
  ctx().Document.CreateWordApp = OverDocxApplication<FailingTables>();
  EXPECT_FALSE(Check(BuildWorkPlan()));
  EXPECT_EQ(run().Errors(), (Strings{kInSection32, kSequence}));
  EXPECT_EQ(ctx().ParticipantCount, 0);
}

TEST(CaseFolding, EqualIgnoringCase) {
  EXPECT_TRUE(word::EqualIgnoringCase("Participant Institution 1", "PARTICIPANT institution 1"));
  EXPECT_TRUE(word::EqualIgnoringCase("Институт-Участник 2", "институт-участник 2"));
  EXPECT_TRUE(word::EqualIgnoringCase("Ёлка", "ёЛКА"));
  EXPECT_FALSE(word::EqualIgnoringCase("Participant Institution 1", "Participant Institution 11"));
  EXPECT_FALSE(word::EqualIgnoringCase("Институт", "Институт "));
}

}  // namespace
}  // namespace kv::testing
