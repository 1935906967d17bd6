#include "text/reporting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>
#include <vector>

#include "report/run_log.h"

namespace kv::text {
namespace {

using Mark = std::tuple<int, int, int>;  // row, column, colour

std::vector<std::string> Entries(const report::msg_handler& list) {
  std::vector<std::string> entries;
  for (std::int16_t k = 1; k <= list.Count(); ++k) entries.push_back(list.Message(k));
  return entries;
}

class ReportingTest : public ::testing::Test {
 protected:
  void Start(bool russian) {
    report::RunLog closedLog;
    InitTextCatalogue(catalogue, russian, closedLog);
    reporter.InitMessageLists(russian);
  }

  TextCatalogue catalogue;
  std::vector<Mark> marks;
  Reporter reporter{catalogue, [this](int row, int column, int colour) {
                      marks.emplace_back(row, column, colour);
                      return " (" + std::to_string(row) + "," + std::to_string(column) + ")";
                    }};
};

using Strings = std::vector<std::string>;

TEST_F(ReportingTest, ReportCodePicksListAndTextInEnglish) {
  Start(false);
  for (int code : {-1, 0, 30000, 31006, 31007, 31008, 31009, 12345}) reporter.ReportCode(code);
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"Unknown error - further validation impossible",
                     "Unexpected end of file - further validation impossible",
                     "Project duration above 60 months - automatic validation impossible",
                     "No categroy I personnel", "Unrecognized exception #12345"}));
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"Travel expenditures exceed 15% of the total project cost",
                     "Category IV days exceed 10% of the total project effort",
                     "Category IV grants exceed 10% of the total grants"}));
  EXPECT_EQ(reporter.InfoList.Count(), 0);
}

TEST_F(ReportingTest, ReportCodePicksListAndTextInRussian) {
  Start(true);
  for (int code : {-1, 30000, 31006, 31009, 12345}) reporter.ReportCode(code);
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"Неизвестная ошибка - дальнейшая проверка невозможна",
                     "Продолжительность проекта превышает 60 месяцев - автоматическая "
                     "проверка невозможна",
                     "Нет персонала I категории", "Неизвестное прерывание #12345"}));
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"Расходы на командировки превышают 15% полной стоимости проекта"}));
}

TEST_F(ReportingTest, CellCodesComposeTheHeaderAndTheCell) {
  Start(false);
  reporter.ReportCellCode(20805, 0, "II", 4, 5);
  reporter.ReportCellCode(20804, 3, "I", 2, 3);
  reporter.ReportCellCode(20809, -1, "I", 6, 7);
  reporter.ReportCellCode(20714, -1, "", 8, 2);
  reporter.ReportCellCode(20815, 1, "IV", 1, 1);
  reporter.ReportCellCode(20816, 2, "III", 2, 1);
  reporter.ReportCellCode(20817, 0, "I", 3, 2);
  reporter.ReportCellCode(20999, 2, "II", 9, 9);
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"8. Personnel Commitments, Leading Institution, Category II: Daily rate "
                     "greater than $35 in cell (4,5)",
                     "8. Personnel Commitments, Participant Institution 3, Category I: Daily "
                     "rate must be integer in cell (2,3)",
                     "8. Personnel Commitments, Category I: More than 220 days per participant "
                     "per year in cell (6,7)",
                     "Technical Schedule: the number of days must be integer or half-integer in "
                     "cell (8,2)"}));
  EXPECT_EQ(Entries(reporter.InfoList),
            (Strings{"8. Personnel Commitments, Participant Institution 1, Category IV: Empty "
                     "table should rather be omitted",
                     "8. Personnel Commitments, Participant Institution 2, Category III: The "
                     "keyword \"None\" should stand instead of the table rather than inside it"}));
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"8. Personnel Commitments, Leading Institution, Category I: Name must not "
                     "be empty in cell (3,2)",
                     "Unrecognized exception #20999 - 8. Personnel Commitments, Participant "
                     "Institution 2, Category II:  (9,9)"}));
  // Every code shades its cell yellow, the information codes included.
  EXPECT_EQ(
      marks,
      (std::vector<Mark>{
          {4, 5, 7}, {2, 3, 7}, {6, 7, 7}, {8, 2, 7}, {1, 1, 7}, {2, 1, 7}, {3, 2, 7}, {9, 9, 7}}));
}

TEST_F(ReportingTest, CellCodesInRussian) {
  Start(true);
  EXPECT_EQ(reporter.ReportCellCode(20806, 2, "II", 5, 4), " (5,4)");
  reporter.ReportCellCode(20820, 0, "I", 3, 6);
  reporter.ReportCellCode(20816, -1, "IV", 1, 1);
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"8. Участие персонала, Институт-Участник 2, Категория II: Дневная ставка "
                     "меньше $10 в ячейке (5,4)"}));
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"8. Участие персонала, Головной Институт, Категория I: Не указан код "
                     "оружейной деятельности в ячейке (3,6)"}));
  EXPECT_EQ(Entries(reporter.InfoList),
            (Strings{"8. Участие персонала, Категория IV: Отсутствие персонала указывается "
                     "словом \"Нет\" вместо а не внутри таблицы"}));
  EXPECT_EQ(marks.size(), 3u);
}

TEST_F(ReportingTest, AFailingMarkLosesTheFindingOnly) {
  Start(false);
  Reporter failing(catalogue,
                   [](int, int, int) -> std::string { throw std::runtime_error("no such cell"); });
  failing.InitMessageLists(false);
  EXPECT_EQ(failing.ReportCellCode(20805, 0, "II", 4, 5), "");
  EXPECT_EQ(failing.WarningList.Count() + failing.ErrorList.Count(), 0);
}

TEST_F(ReportingTest, NumberCodesComposeTheInstitution) {
  Start(false);
  reporter.ReportCodeWithNumber(21090, 0, "2");
  reporter.ReportCodeWithNumber(21090, -1, "2");
  reporter.ReportCodeWithNumber(21092, 4, "3-1");
  reporter.ReportCodeWithNumber(31010, 1, "");
  reporter.ReportCodeWithNumber(31011, 0, "");
  reporter.ReportCodeWithNumber(20821, 2, "TABLE 2");
  reporter.ReportCodeWithNumber(777, 5, "ignored");
  EXPECT_EQ(
      Entries(reporter.ErrorList),
      (Strings{"Missing Subtotal - Table 2, Leading Institution", "Missing Subtotal - Table 2, ",
               "Table 3-1 - No such institute in the project: Participant Institution 4",
               "Unrecognized exception #777 - Participant Institution 5"}));
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"No bank fees: Participant Institution 1",
                     "Bank fees less that 1% of total grants: Leading Institution"}));
  EXPECT_EQ(Entries(reporter.InfoList),
            (Strings{"Participant Institution 2: a table caption without a table to follow "
                     "(TABLE 2)"}));
  EXPECT_TRUE(marks.empty());
}

TEST_F(ReportingTest, NumberCodesInRussian) {
  Start(true);
  reporter.ReportCodeWithNumber(21090, 1, "4");
  reporter.ReportCodeWithNumber(20821, 0, "x");
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"Не задана оценочная стоимость - Таблица 4, Институт-Участник 1"}));
  EXPECT_EQ(Entries(reporter.InfoList), (Strings{"Головной Институт: Заголовок без таблицы (x)"}));
}

TEST_F(ReportingTest, TextCodes) {
  Start(false);
  for (int code : {100, 21091, 30001, 31012, 31013, 31014, 12345}) {
    reporter.ReportCodeWithText(code, "x");
  }
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"Heading missing: x", "No table row with 'Estimated TOTAL COST' - Table x",
                     "Overhead must be zero for PDG (x in the KV)",
                     "Equipment expenses must be zero for PDG (x in the KV)",
                     "Grants must be over 50% of total expensesfor PDG (currently, x)",
                     "Unrecognized exception #12345 - x"}));
  EXPECT_EQ(Entries(reporter.WarningList), (Strings{"Project duration below x months"}));
}

TEST_F(ReportingTest, TextCodesInRussianKeepPlaceholdersOfTheArgument) {
  Start(true);
  reporter.ReportCodeWithText(30001, "6");
  reporter.ReportCodeWithText(31012, "{code}");
  EXPECT_EQ(Entries(reporter.WarningList), (Strings{"Продолжительность проекта менее 6 месяцев"}));
  EXPECT_EQ(Entries(reporter.ErrorList),
            (Strings{"PDG не должны иметь накладных расходов (в КВ {code})"}));
}

TEST_F(ReportingTest, TwoTextCodes) {
  Start(false);
  reporter.ReportCodeWithTexts(31000, "", "ignored");
  reporter.ReportCodeWithTexts(31000, "100", "250.5");
  reporter.ReportCodeWithTexts(31001, "a", "b");
  reporter.ReportCodeWithTexts(31000, "", "");
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"No grants for project participants",
                     "Grants below 50% of total expenses (2*100 < 250.5)",
                     "No grants for project participants"}));
  EXPECT_EQ(Entries(reporter.ErrorList), (Strings{"Unrecognized exception #31001 - "}));
}

TEST_F(ReportingTest, TwoTextCodesInRussian) {
  Start(true);
  reporter.ReportCodeWithTexts(31000, "", "");
  reporter.ReportCodeWithTexts(31000, "1", "3");
  reporter.ReportCodeWithTexts(5, "", "");
  EXPECT_EQ(Entries(reporter.WarningList),
            (Strings{"Не предусмотрены гранты для участников проекта",
                     "Гранты меньше 50% полных расходов (2*1 < 3)"}));
  EXPECT_EQ(Entries(reporter.ErrorList), (Strings{"Неизвестное прерывание #5 - "}));
}

TEST_F(ReportingTest, ListsOverflowWithTheLineOfTheLanguage) {
  struct Case {
    bool russian;
    Strings overflow;
  };
  const Case cases[] = {
      {false,
       {"Maximum number of errors exceeded", "Maximum number of warnings exceeded",
        "Maximum number of info messages exceeded"}},
      {true,
       {"Превышено максимальное число ошибок", "Превышено максимальное число предупреждений",
        "Превышено максимальное число информационных сообщений"}},
  };
  for (const auto& c : cases) {
    Start(c.russian);
    for (int i = 1; i <= 55; ++i) {
      reporter.AddError("e" + std::to_string(i));
      reporter.AddWarning("w" + std::to_string(i));
      reporter.AddInfo("i" + std::to_string(i));
    }
    reporter.ReportCode(31009);
    const report::msg_handler* lists[] = {&reporter.ErrorList, &reporter.WarningList,
                                          &reporter.InfoList};
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(lists[k]->Count(), 51);
      EXPECT_EQ(lists[k]->Message(51), c.overflow[k]);
    }
    EXPECT_EQ(reporter.ErrorList.Message(50), "e50");
    EXPECT_EQ(reporter.DocLanguage, c.russian);
  }
}

TEST_F(ReportingTest, SameCodeTwiceAddsTwoLinesAndInitEmptiesTheLists) {
  Start(false);
  reporter.ReportCode(31009);
  reporter.ReportCode(31009);
  EXPECT_EQ(reporter.ErrorList.Count(), 2);
  reporter.InitMessageLists(false);
  EXPECT_EQ(reporter.ErrorList.Count(), 0);
}

}  // namespace
}  // namespace kv::text
