#include "report/json_report.h"

#include <gtest/gtest.h>

namespace kv::report {
namespace {

TEST(JsonReport, KeysInOrderNullsAndExactTexts) {
  RunReport report;
  EXPECT_EQ(
      ToJson(report),
      R"({"file":null,"validated_copy":null,"language":"en","project_number":null,)"
      R"("outcome":"validated","reason":null,"errors":[],"warnings":[],"info":[],"marked_cells":[]})");

  report.file = "/p/1234-wr.doc";
  report.validatedCopy = "/p/1234-wr-validated.doc";
  report.language = "ru";
  report.projectNumber = "1234";
  report.outcome = "cannot_open";
  report.reason = "the file is empty";
  report.errors = {"Ошибка в секции \"7\"", "No categroy I personnel "};
  report.info = {"a\tb"};
  report.markedCells = {{3, 2, 5, "red"}, {4, 10, 1, "yellow"}};
  EXPECT_EQ(ToJson(report),
            R"({"file":"/p/1234-wr.doc","validated_copy":"/p/1234-wr-validated.doc",)"
            R"("language":"ru","project_number":"1234","outcome":"cannot_open",)"
            R"("reason":"the file is empty",)"
            R"("errors":["Ошибка в секции \"7\"","No categroy I personnel "],"warnings":[],)"
            R"("info":["a\tb"],"marked_cells":[{"table":3,"row":2,"column":5,"colour":"red"},)"
            R"({"table":4,"row":10,"column":1,"colour":"yellow"}]})");
}

TEST(JsonReport, InvalidUtf8IsReplacedNotFatal) {
  RunReport report;
  report.errors = {"bad \xff byte"};
  EXPECT_NE(ToJson(report).find("bad \xEF\xBF\xBD byte"), std::string::npos);
}

}  // namespace
}  // namespace kv::report
