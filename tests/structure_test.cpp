#include "validate/structure.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/forwarding_word_app.h"
#include "support/phase_run.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

using Change = std::function<void(WorkPlanDocument&, validate::RunContext&)>;

const std::string kSequence = "Incorrect section sequence. No further validation done.";
const std::string kSequenceRu = "Неправильная последовательность разделов. Проверка прервана.";
const std::string kInSection32 = "Error in Section 3.2. Other Participating Institutions";
const std::string kGrantQuestion = "Is this a Project Development Grant?|Duration<9 months";

// Texts of the boxes shown; questions as "text|title".
Strings Texts(const std::vector<ui::ShownBox>& shown, bool withTitle) {
  Strings texts;
  for (const auto& b : shown) {
    EXPECT_EQ(b.icon, withTitle ? ui::Icon::None : ui::Icon::Exclamation);
    texts.push_back(withTitle ? b.text + "|" + b.title : b.text);
  }
  return texts;
}

class StructureTest : public ::testing::Test {
 protected:
  // Checks the plan after `change`, in a fresh run of the plan's language.
  bool Check(const WorkPlan& plan, const Change& change = {}, bool grantAnswer = false) {
    run_ = std::make_unique<PhaseRun>(plan.russian, grantAnswer);
    auto doc = BuildWorkPlan(plan);
    if (change) change(doc, ctx());
    EXPECT_TRUE(run_->Open(doc));
    return validate::StructureCheck(ctx());
  }
  bool Check(bool russian, const Change& change) {
    return Check(WorkPlan{.russian = russian}, change);
  }

  Strings Errors() const { return run_->Errors(); }
  Strings Boxes() const { return Texts(run_->frontend.Boxes(), false); }
  Strings Questions() const { return Texts(run_->frontend.Questions(), true); }
  validate::RunContext& ctx() { return run_->ctx; }

 private:
  std::unique_ptr<PhaseRun> run_;
};

// Changes to a clean plan.
Change Drop(const std::string& id) {
  return [=](auto& d, auto&) { d.Remove(id); };
}
Change Retitle(const std::string& id, const std::string& heading) {
  return [=](auto& d, auto&) { d[id].heading = heading; };
}
Change SetBody(const std::string& id, const std::vector<Block>& body) {
  return [=](auto& d, auto&) { d.Body(id) = body; };
}
Change SetLine(const std::string& id, int index, const std::string& text) {
  return [=](auto& d, auto&) { d.Body(id)[index] = Paragraph(text); };
}
Change All(const std::vector<Change>& changes) {
  return [=](auto& d, auto& ctx) {
    for (const auto& change : changes) change(d, ctx);
  };
}

// One change to a clean plan and exactly what follows, in English and in Russian plans;
// -1: not looked at.
TEST_F(StructureTest, BrokenStructures) {
  const std::string kSee = "Unexpected text instead of table: See the attached letter.";
  const std::string kHeading5 = "5. Project Duration: 24 months";
  struct Case {
    const char* what;
    Change change;
    Strings errors{}, boxes{};
    int participants = -1, months = -1;
  };
  const std::vector<Case> cases[] = {
      {{"a heading before its predecessor",
        [](auto& d, auto&) { std::swap(d["HeadingI1"], d["HeadingI2"]); },
        {"Section missing : 2. Project Manager", kSequence}},
       {"every missing section",
        All({Drop("HeadingI4"), Drop("HeadingI6"), Drop("HeadingII6")}),
        {"Section missing : 4. Foreign Collaborators/Partners",
         "Section missing : 6. Project Location and Equipment",
         "Section missing : 6. Technical Approach and Methodology", kSequence},
        {},
        -1,
        24},
       {"Part II under its detailed heading",
        Retitle("HeadingII", "II.  Detailed\tProject Information")},
       {"no section 3.2 leaves no participants",
        All({Drop("HeadingI32"), [](auto&, auto& ctx) { ctx.ParticipantCount = 5; }}),
        {},
        {},
        0},
       {"text instead of a participant's table",
        [](auto& d, auto&) {
          d.Body("HeadingI32")
              .insert(d.Body("HeadingI32").begin() + 1, Paragraph("See  the attached letter."));
        },
        {kSee, "Participant Institution 1", kInSection32, kSequence},
        {kSee + "\nParticipant Institution 1"},
        0,
        24},
       {"a table instead of the duration",
        SetBody("HeadingI5", {Paragraph(""), Table({{"24", "months"}})}),
        {"Project duration not found", kSequence}},
       {"nothing below the duration heading",
        All({SetBody("HeadingI5", {}),
             [](auto& d, auto&) { d.sections.erase(d.sections.begin() + 11, d.sections.end()); }}),
        {"Project duration not found", "Section missing : 6. Project Location and Equipment",
         "Missing Part II. Specific Information", kSequence}},
       {"the duration heading inside a longer line",
        All({Retitle("HeadingI5", kHeading5), SetBody("HeadingI5", {})}),
        {"Incorrect heading:", kHeading5, "Expected:", "5. Project Duration"},
        {"Incorrect heading:\n" + kHeading5 + "\nExpected:\n5. Project Duration"},
        -1,
        0}},
      {{"no Part II ends the check",
        All({Retitle("HeadingII", ""), Drop("HeadingII1")}),
        {"Отсутствует часть II. Подробная Информация по Проекту", kSequenceRu}},
       {"a participant's table without label",
        SetLine("HeadingI32", 2, ""),
        {"Таблица без заголовка: Институт-Участник 2",
         "Ошибка в секции 3.2. Другие Институты-Участники", kSequenceRu},
        {"Таблица без заголовка: Институт-Участник 2"},
        1},
       {"the duration in words",
        SetLine("HeadingI5", 0, "двенадцать месяцев"),
        {"Неправильная продолжительность проекта: двенадцать месяцев", kSequenceRu}},
       {"the partners heading with more text",
        Retitle("HeadingI42", "4.2. Партнеры (нет)"),
        {"Неправильное название раздела:", "4.2. Партнеры (нет)", "Ожидается:", "4.2. Партнеры",
         "Ошибка в секции 4.2. Партнеры", kSequenceRu},
        {"Неправильное название раздела:\n4.2. Партнеры (нет)\nОжидается:\n4.2. Партнеры"}}},
  };
  for (bool russian : {false, true}) {
    for (const auto& c : cases[russian]) {
      SCOPED_TRACE(c.what);
      // A failed check ends with the sequence error.
      const bool passes =
          c.errors.empty() || c.errors.back() != (russian ? kSequenceRu : kSequence);
      EXPECT_EQ(Check(russian, c.change), passes);
      EXPECT_EQ(Errors(), c.errors);
      EXPECT_EQ(Boxes(), c.boxes);
      EXPECT_TRUE(c.participants < 0 || ctx().ParticipantCount == c.participants);
      EXPECT_TRUE(c.months < 0 || ctx().ProjectDurationMonths == c.months);
    }
  }
}

TEST_F(StructureTest, ParticipantLabelsInAnyLetterCaseUpToAGap) {
  for (bool russian : {false, true}) {
    SCOPED_TRACE(russian);
    const auto relabel = [russian](int gap) {
      return [russian, gap](WorkPlanDocument& d, validate::RunContext&) {
        auto& entries = d.Body("HeadingI32");
        entries[0].text = russian ? "институт-участник 1" : "participant institution 1";
        entries[2].text = russian ? "ИНСТИТУТ-УЧАСТНИК 2" : "PARTICIPANT INSTITUTION 2";
        if (gap) entries[4].text = russian ? "Институт-Участник 4" : "Participant Institution 4";
        entries.insert(entries.begin() + 3, Paragraph(""));  // empty lines before a table
      };
    };
    for (int gap : {0, 1}) {
      EXPECT_TRUE(Check(WorkPlan{.russian = russian, .participants = 3}, relabel(gap)));
      EXPECT_EQ(Errors(), Strings{});
      EXPECT_EQ(ctx().ParticipantCount, gap ? 2 : 3);
    }
  }
}

TEST_F(StructureTest, DurationLines) {
  const struct {
    std::string line;
    std::string error;  // before the closing sequence error
    int months, quarters, years;
    bool asked;
  } cases[] = {
      {"24 months", "", 24, 8, 2, false},
      {"1 month", "", 1, 1, 1, true},
      {"9 months", "", 9, 3, 1, true},
      {"10 months", "", 10, 4, 1, false},
      {"13 months", "", 13, 5, 2, false},
      {"0 months", "", 0, 0, 0, true},
      {"120 months", "Project duration incorrect: 120 months", 0, 0, 0, false},
      {"twelve months", "Project duration incorrect: twelve months", 0, 0, 0, false},
      {"ab months", "Project duration incorrect: ab", 0, 0, 0, false},
      {"24months", "Project duration incorrect: 24months", 0, 0, 0, false},
      {"-3 months", "Project duration incorrect: -3", 0, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Check(false,
                    [&](auto& d, auto&) {
                      d.Body("HeadingI5") = {Paragraph(""), Paragraph(c.line)};
                    }),
              c.error.empty());
    EXPECT_EQ(Errors(), (c.error.empty() ? Strings{} : Strings{c.error, kSequence}));
    EXPECT_EQ(ctx().ProjectDurationMonths, c.months);
    EXPECT_EQ(ctx().ProjectDurationQuarters, c.quarters);
    EXPECT_EQ(ctx().ProjectDurationYears, c.years);
    EXPECT_EQ(Questions(), c.asked ? Strings{kGrantQuestion} : Strings{});
    EXPECT_EQ(ctx().ProjectType, "");  // the question was answered No
  }
}

// Section 4.2 with a table makes a partner project; a confirmed grant answer comes later
// and wins; special series are never asked.
TEST_F(StructureTest, ProjectTypeFromPartnersAndTheGrantQuestion) {
  const struct {
    int months;
    bool grant, partnersTable, section, special;
    std::string before, after;
    bool asked;
  } cases[] = {
      {24, false, true, true, false, "", "4", false},
      {24, false, false, true, false, "4", "", false},
      {24, false, false, true, false, "s", "s", false},
      {24, false, false, true, false, "2", "2", false},
      {24, false, false, false, false, "4", "4", false},
      {6, true, true, true, false, "", "2", true},
      {6, true, false, true, true, "s", "s", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.months * 1000 + c.partnersTable * 100 + c.section * 10 + c.special);
    const auto change = [&](WorkPlanDocument& d, validate::RunContext& ctx) {
      ctx.ProjectType = c.before;
      ctx.SpecialSeries = c.special;
      if (!c.section) d.Remove("HeadingI42");
    };
    EXPECT_TRUE(
        Check(WorkPlan{.months = c.months, .partnersTable = c.partnersTable}, change, c.grant));
    EXPECT_EQ(Errors(), Strings{});
    EXPECT_EQ(Questions(), c.asked ? Strings{kGrantQuestion} : Strings{});
    EXPECT_EQ(ctx().ProjectType, c.after);
  }
}

struct FailingGoToNext : word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  void GoToNext(int) override { throw word::WordError("the word processor stopped"); }
};

struct FailingTables : word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  word::TableId Tables1() const override { throw word::WordError("the word processor stopped"); }
};

template <typename App>
Change Over() {
  return [](auto&, auto& ctx) { ctx.Document.CreateWordApp = OverDocxApplication<App>(); };
}

TEST_F(StructureTest, WordProcessorFailureEndsTheCheck) {
  EXPECT_FALSE(Check(false, Over<FailingGoToNext>()));
  EXPECT_EQ(Errors(), Strings{kSequence});

  EXPECT_FALSE(Check(false, Over<FailingTables>()));
  EXPECT_EQ(Errors(), (Strings{kInSection32, kSequence}));
  EXPECT_EQ(ctx().ParticipantCount, 0);
}

}  // namespace
}  // namespace kv::testing
