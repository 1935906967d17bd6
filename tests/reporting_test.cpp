#include "text/reporting.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "report/run_log.h"

namespace kv::text {
namespace {

using Mark = std::tuple<int, int, int>;  // row, column, colour
using Call = std::function<void(Reporter&)>;
using enum MessageList;

Call Code(int code) {
  return [=](Reporter& r) { r.ReportCode(code); };
}
Call WithNumber(int code, int n, std::string text) {
  return [=](Reporter& r) { r.ReportCodeWithNumber(code, n, text); };
}
Call WithText(int code, std::string text) {
  return [=](Reporter& r) { r.ReportCodeWithText(code, text); };
}
Call WithTexts(int code, std::string text1, std::string text2) {
  return [=](Reporter& r) { r.ReportCodeWithTexts(code, text1, text2); };
}
Call InCell(int code, int n, std::string category) {  // the cell is always (4,5)
  return [=](Reporter& r) { r.ReportCellCode(code, n, category, 4, 5); };
}

struct Case {
  bool russian;
  Call call;
  MessageList list;
  std::string text;
};

class ReportingTest : public ::testing::Test {
 protected:
  void Start(bool russian) {
    report::RunLog closedLog;
    InitTextCatalogue(catalogue, russian, closedLog);
    reporter.InitMessageLists(russian);
    marks.clear();
  }
  // Reports one case in a fresh run; its text must be the only one, in its list.
  void Run(const Case& c) {
    SCOPED_TRACE(c.text);
    Start(c.russian);
    c.call(reporter);
    for (MessageList list : {Errors, Warnings, Info}) {
      EXPECT_EQ(List(list).Text(), list == c.list ? c.text : "");
    }
  }
  const report::msg_handler& List(MessageList list) const {
    return list == Errors     ? reporter.ErrorList
           : list == Warnings ? reporter.WarningList
                              : reporter.InfoList;
  }

  TextCatalogue catalogue;
  std::vector<Mark> marks;
  Reporter reporter{catalogue, [this](int row, int column, int colour) {
                      marks.emplace_back(row, column, colour);
                      return " (" + std::to_string(row) + "," + std::to_string(column) + ")";
                    }};
};

TEST_F(ReportingTest, EachCodeGivesItsTextInItsList) {
  const Case cases[] = {
      {false, Code(-1), Errors, "Unknown error - further validation impossible"},
      {false, Code(31009), Errors, "No categroy I personnel"},
      {false, Code(12345), Errors, "Unrecognized exception #12345"},
      {true, Code(12345), Errors, "Неизвестное прерывание #12345"},
      {false, WithNumber(21090, 0, "2"), Errors, "Missing Subtotal - Table 2, Leading Institution"},
      {false, WithNumber(21090, -1, "2"), Errors, "Missing Subtotal - Table 2, "},
      {false, WithNumber(21092, 4, "3-1"), Errors,
       "Table 3-1 - No such institute in the project: Participant Institution 4"},
      {false, WithNumber(20821, 2, "TABLE 2"), Info,
       "Participant Institution 2: a table caption without a table to follow (TABLE 2)"},
      {true, WithNumber(20821, 0, "x"), Info, "Головной Институт: Заголовок без таблицы (x)"},
      {false, WithNumber(777, 5, "x"), Errors,
       "Unrecognized exception #777 - Participant Institution 5"},
      {false, WithText(21091, "x"), Errors, "No table row with 'Estimated TOTAL COST' - Table x"},
      {false, WithText(31014, "x"), Errors,
       "Grants must be over 50% of total expensesfor PDG (currently, x)"},
      // A part that looks like a placeholder is inserted as it stands.
      {true, WithText(31012, "{code}"), Errors,
       "PDG не должны иметь накладных расходов (в КВ {code})"},
      {false, WithText(12345, "x"), Errors, "Unrecognized exception #12345 - x"},
      {false, WithTexts(31000, "", "ignored"), Warnings, "No grants for project participants"},
      {false, WithTexts(31000, "100", "250.5"), Warnings,
       "Grants below 50% of total expenses (2*100 < 250.5)"},
      {false, WithTexts(31001, "a", "b"), Errors, "Unrecognized exception #31001 - "},
  };
  for (const Case& c : cases) Run(c);
}

TEST_F(ReportingTest, CellCodesComposeHeaderAndCellAndShadeTheCellYellow) {
  const Case cases[] = {
      {false, InCell(20805, 0, "II"), Warnings,
       "8. Personnel Commitments, Leading Institution, Category II: Daily rate greater than "
       "$35 in cell (4,5)"},
      {false, InCell(20809, -1, "I"), Warnings,
       "8. Personnel Commitments, Category I: More than 220 days per participant per year in "
       "cell (4,5)"},
      {false, InCell(20815, 1, "IV"), Info,
       "8. Personnel Commitments, Participant Institution 1, Category IV: Empty table should "
       "rather be omitted"},
      {false, InCell(20999, 2, "II"), Errors,
       "Unrecognized exception #20999 - 8. Personnel Commitments, Participant Institution 2, "
       "Category II:  (4,5)"},
      {true, InCell(20806, 2, "II"), Warnings,
       "8. Участие персонала, Институт-Участник 2, Категория II: Дневная ставка меньше $10 в "
       "ячейке (4,5)"},
      {true, InCell(20816, -1, "IV"), Info,
       "8. Участие персонала, Категория IV: Отсутствие персонала указывается словом \"Нет\" "
       "вместо а не внутри таблицы"},
  };
  for (const Case& c : cases) {
    Run(c);
    EXPECT_EQ(marks, (std::vector<Mark>{{4, 5, 7}})) << c.text;  // information codes included
  }
}

TEST_F(ReportingTest, AFailingMarkLosesTheFindingOnly) {
  Start(false);
  Reporter failing(catalogue,
                   [](int, int, int) -> std::string { throw std::runtime_error("no such cell"); });
  failing.InitMessageLists(false);
  EXPECT_EQ(failing.ReportCellCode(20805, 0, "II", 4, 5), "");
  EXPECT_EQ(failing.WarningList.Count() + failing.ErrorList.Count(), 0);
}

TEST_F(ReportingTest, ListsOverflowWithTheLineOfTheLanguage) {
  const std::pair<bool, std::vector<std::string>> cases[] = {
      {false,
       {"Maximum number of errors exceeded", "Maximum number of warnings exceeded",
        "Maximum number of info messages exceeded"}},
      {true,
       {"Превышено максимальное число ошибок", "Превышено максимальное число предупреждений",
        "Превышено максимальное число информационных сообщений"}},
  };
  for (const auto& [russian, overflow] : cases) {
    Start(russian);
    for (int i = 1; i <= 55; ++i) {
      reporter.AddError("e" + std::to_string(i));
      reporter.AddWarning("w" + std::to_string(i));
      reporter.AddInfo("i" + std::to_string(i));
    }
    reporter.ReportCode(31009);
    const MessageList lists[] = {Errors, Warnings, Info};
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(List(lists[k]).Count(), 51);
      EXPECT_EQ(List(lists[k]).Message(50), std::string(1, "ewi"[k]) + "50");
      EXPECT_EQ(List(lists[k]).Message(51), overflow[k]);
    }
  }
}

}  // namespace
}  // namespace kv::text
