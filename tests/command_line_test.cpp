// The front end the options lead to; the options themselves are shown end to end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "main/command_line.h"
#include "main/findings.h"

namespace kv::run {
namespace {

const std::string kFile = "/p/1234-we.doc";

TEST(ChooseFrontend, FileAndGrantAnswerFollowTheOptionsAndTheTerminal) {
  const struct {
    CommandLine options;
    Surroundings surroundings;
    std::string input, expectedFile;
    bool expectedAnswer, questionPrinted;
    const char* name;
  } cases[] = {
      {{.grantAnswer = true, .file = kFile}, {false, true}, "n\n", kFile, true, false, "--pdg yes"},
      {{.file = kFile}, {false, true}, "y\n", kFile, true, true, "asked"},
      {{.file = kFile}, {false, false}, "y\n", kFile, false, false, "no terminal: No"},
      {{.grantAnswer = false}, {false, true}, "\ny\n", "", false, false, "--pdg no"},
      {{}, {false, false}, "\ny\n", "", false, false, "piped: No"},
      {{}, {false, true}, "\nn\n", "", false, true, "terminal asks"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.input);
    std::ostringstream err;
    auto frontend = ChooseFrontend(c.options, c.surroundings, in, err);
    EXPECT_EQ(
        frontend->ChooseOpenFile("", "", "MS Word document|*.doc", "doc", "Validate workplan"),
        c.expectedFile);
    EXPECT_EQ(frontend->AskYesNo("Is this a Project Development Grant?", "Duration<9 months"),
              c.expectedAnswer);
    EXPECT_EQ(err.str().find("Is this a Project Development Grant?") != std::string::npos,
              c.questionPrinted);
  }
}

// Errors, warnings, information in list order; colour marks the file and the kind only.
TEST(PrintFindings, OneLineAFindingColouredOnlyWhenAsked) {
  report::RunReport report;
  report.errors = {"Ошибка в таблице", "Second error"};
  report.info = {"Note"};
  for (const bool colour : {false, true}) {
    std::ostringstream out;
    PrintFindings(out, kFile, report, colour);
    const std::string file = colour ? "\033[1m" + kFile + ":\033[m" : kFile + ":";
    const auto kind = [colour](const char* code, const std::string& label) {
      return colour ? std::string("\033[") + code + "m" + label + ":\033[m" : label + ":";
    };
    EXPECT_EQ(out.str(), file + " " + kind("1;31", "error") + " Ошибка в таблице\n" + file + " " +
                             kind("1;31", "error") + " Second error\n" + file + " " +
                             kind("1;36", "info") + " Note\n");
  }
  for (const auto& [terminal, noColour, wanted] :
       {std::tuple{true, "", true}, {true, "1", false}, {false, "", false}}) {
    setenv("NO_COLOR", noColour, 1);
    EXPECT_EQ(ColourWanted(terminal), wanted) << terminal << " NO_COLOR=" << noColour;
  }
  unsetenv("NO_COLOR");
}

}  // namespace
}  // namespace kv::run
