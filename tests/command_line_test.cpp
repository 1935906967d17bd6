// Options of kv and the front end they lead to.
#include <gtest/gtest.h>

#include <sstream>

#include "main/command_line.h"

namespace kv::run {
namespace {

std::variant<CommandLine, int> Parse(std::vector<const char*> arguments, std::string* out = nullptr,
                                     std::string* err = nullptr) {
  arguments.insert(arguments.begin(), "kv");
  std::ostringstream outStream, errStream;
  auto parsed =
      ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), outStream, errStream);
  if (out != nullptr) *out = outStream.str();
  if (err != nullptr) *err = errStream.str();
  return parsed;
}

TEST(CommandLine, ReadsFileJsonAndGrantAnswer) {
  const auto parsed = Parse({"--json", "--pdg", "yes", "/plans/1234-we.doc"});
  ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed));
  const auto& options = std::get<CommandLine>(parsed);
  EXPECT_TRUE(options.json);
  EXPECT_EQ(options.grantAnswer, true);
  EXPECT_EQ(options.file, "/plans/1234-we.doc");

  const auto bare = std::get<CommandLine>(Parse({}));
  EXPECT_FALSE(bare.json);
  EXPECT_FALSE(bare.grantAnswer.has_value());
  EXPECT_EQ(bare.file, "");
  EXPECT_EQ(std::get<CommandLine>(Parse({"--pdg", "no"})).grantAnswer, false);
}

TEST(CommandLine, WrongUsageIs64WithAMessage) {
  for (const auto& arguments : std::vector<std::vector<const char*>>{
           {"--pdg", "maybe"}, {"--pdg"}, {"--colour"}, {"a.doc", "b.doc"}}) {
    std::string out, err;
    const auto parsed = Parse(arguments, &out, &err);
    ASSERT_TRUE(std::holds_alternative<int>(parsed)) << arguments.front();
    EXPECT_EQ(std::get<int>(parsed), 64) << arguments.front();
    EXPECT_EQ(out, "");
    EXPECT_NE(err, "");
  }
}

TEST(CommandLine, HelpAndVersionEndWithStatus0) {
  std::string out;
  EXPECT_EQ(std::get<int>(Parse({"--version"}, &out)), 0);
  EXPECT_EQ(out, std::string("kv ") + KV_VERSION + "\n");
  EXPECT_EQ(std::get<int>(Parse({"--help"}, &out)), 0);
  EXPECT_NE(out.find("--pdg"), std::string::npos);
  EXPECT_NE(out.find("--json"), std::string::npos);
}

struct FrontendCase {
  const char* name;
  CommandLine options;
  Surroundings surroundings;
  std::string input;
  std::string expectedFile;
  bool expectedAnswer;
  bool questionPrinted;
};

TEST(ChooseFrontend, FileAndGrantAnswerFollowTheOptionsAndTheTerminal) {
  const FrontendCase cases[] = {
      {"file, --pdg yes",
       {false, true, "/p/1234-we.doc"},
       {false, true},
       "n\n",
       "/p/1234-we.doc",
       true,
       false},
      {"file, asked on a terminal",
       {false, {}, "/p/1234-we.doc"},
       {false, true},
       "y\n",
       "/p/1234-we.doc",
       true,
       true},
      {"file, no terminal: No",
       {false, {}, "/p/1234-we.doc"},
       {false, false},
       "y\n",
       "/p/1234-we.doc",
       false,
       false},
      {"terminal, --pdg no", {false, false, ""}, {false, true}, "\ny\n", "", false, false},
      {"piped terminal: No", {false, {}, ""}, {false, false}, "\ny\n", "", false, false},
      {"terminal asks", {false, {}, ""}, {false, true}, "\nn\n", "", false, true},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream err;
    auto frontend = ChooseFrontend(c.options, c.surroundings, in, err);
    EXPECT_EQ(
        frontend->ChooseOpenFile("", "", "MS Word document|*.doc", "doc", "Validate workplan"),
        c.expectedFile)
        << c.name;
    EXPECT_EQ(frontend->AskYesNo("Is this a Project Development Grant?", "Duration<9 months"),
              c.expectedAnswer)
        << c.name;
    EXPECT_EQ(err.str().find("Is this a Project Development Grant?") != std::string::npos,
              c.questionPrinted)
        << c.name;
  }
}

TEST(ChooseFrontend, BoxesOfAFileRunArePrintedWithoutWaiting) {
  std::istringstream in("");
  std::ostringstream err;
  auto frontend = ChooseFrontend({false, {}, "/p/1234-we.doc"}, {true, true}, in, err);
  frontend->MessageBox("Validation completed\nNo errors\nNo warnings", "DO Ruvaveruz 1.2.4",
                       ui::Icon::None);
  EXPECT_EQ(err.str(), "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nNo warnings\n");
}

}  // namespace
}  // namespace kv::run
