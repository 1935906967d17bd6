// What only an interactive terminal shows: the grant question and the colours. Runs
// without a terminal are in tests/golden.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "main/command_line.h"
#include "main/findings.h"

namespace kv::run {
namespace {

const std::string kFile = "/p/1234-we.doc", kQuestion = "Is this a Project Development Grant?";

TEST(ChooseFrontend, OnATerminalTheGrantQuestionIsAskedUnlessAnswered) {
  // The options, the answers typed, the file chosen, the grant answer, whether it was asked.
  for (const auto& c :
       {std::tuple{CommandLine{.grantAnswer = true, .file = kFile}, "n\n", kFile, true, false},
        {CommandLine{.file = kFile}, "y\n", kFile, true, true},
        {CommandLine{.grantAnswer = false}, "\ny\n", "", false, false},
        {CommandLine{}, "\nn\n", "", false, true}}) {
    const auto& [options, input, expectedFile, expectedAnswer, questionPrinted] = c;
    std::istringstream in(input);
    std::ostringstream err;
    auto frontend = ChooseFrontend(options, {false, true}, in, err);
    EXPECT_EQ(frontend->ChooseOpenFile("", "", "MS Word document|*.doc", "doc", "Validate"),
              expectedFile);
    EXPECT_EQ(frontend->AskYesNo(kQuestion, "Duration<9 months"), expectedAnswer) << input;
    EXPECT_EQ(err.str().find(kQuestion) != std::string::npos, questionPrinted) << input;
  }
}

// Colour marks the file and the kind only; NO_COLOR set to a value that is not empty
// turns it off.
TEST(PrintFindings, ColouredOnATerminalUnlessNoColour) {
  report::RunReport report;
  report.errors = {"Ошибка в таблице"};
  report.info = {"Note"};
  std::ostringstream out;
  PrintFindings(out, kFile, report, true);
  EXPECT_EQ(out.str(), "\033[1m" + kFile + ":\033[m \033[1;31merror:\033[m Ошибка в таблице\n" +
                           "\033[1m" + kFile + ":\033[m \033[1;36minfo:\033[m Note\n");
  for (const auto& [terminal, noColour, wanted] :
       {std::tuple{true, "", true}, {true, "1", false}, {false, "", false}}) {
    setenv("NO_COLOR", noColour, 1);
    EXPECT_EQ(ColourWanted(terminal), wanted) << terminal << " NO_COLOR=" << noColour;
  }
  unsetenv("NO_COLOR");
}

}  // namespace
}  // namespace kv::run
