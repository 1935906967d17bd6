// The front end the options lead to; the options themselves are shown end to end.
#include <gtest/gtest.h>

#include <sstream>

#include "main/command_line.h"

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
      {{false, true, kFile}, {false, true}, "n\n", kFile, true, false, "--pdg yes"},
      {{false, {}, kFile}, {false, true}, "y\n", kFile, true, true, "asked"},
      {{false, {}, kFile}, {false, false}, "y\n", kFile, false, false, "no terminal: No"},
      {{false, false, ""}, {false, true}, "\ny\n", "", false, false, "--pdg no"},
      {{false, {}, ""}, {false, false}, "\ny\n", "", false, false, "piped: No"},
      {{false, {}, ""}, {false, true}, "\nn\n", "", false, true, "terminal asks"},
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

}  // namespace
}  // namespace kv::run
