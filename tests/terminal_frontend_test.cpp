// The terminal front end with piped input.
#include "ui/terminal_frontend.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace kv::ui {
namespace {

struct Terminal {
  explicit Terminal(const std::string& input) : in(input), frontend(in, out) {}
  std::string Choose(const std::string& folder = "") {
    return frontend.ChooseOpenFile(folder, "", "MS Word document | *.doc;*.docx", "doc",
                                   "Validate workplan");
  }
  std::istringstream in;
  std::ostringstream out;
  TerminalFrontend frontend;
};

TEST(TerminalFrontend, ChooserReturnsTheFullPathOfAnExistingFileOrCancels) {
  testing::TempDir dir;
  std::ofstream(dir / "1234-we.doc") << "x";
  Terminal terminal("missing.doc\n  1234-we.doc  \n");
  EXPECT_EQ(terminal.Choose(dir.path().string()), dir / "1234-we.doc");
  EXPECT_EQ(terminal.out.str(),
            "Validate workplan\n  MS Word document (*.doc *.docx)\n"
            "File path (empty to cancel): No such file: " +
                (dir / "missing.doc") + "\nFile path (empty to cancel): ");
  for (const char* input : {"\n", "", "   \n"}) {
    EXPECT_EQ(Terminal(input).Choose(), "") << '"' << input << '"';
  }
}

TEST(TerminalFrontend, BoxShowsIconTitleAndTextAndWaitsForEnter) {
  Terminal terminal("\nrest\n");
  terminal.frontend.MessageBox("Error\nFile cannot be opened", "DO Ruvaveruz 1.2.4",
                               Icon::Exclamation);
  terminal.frontend.MessageBox("Unknown Error\nFile cannot be processed", "DO Ruvaveruz 1.2.4",
                               Icon::Stop);
  terminal.frontend.MessageBox("No file selected\nValidation terminated", "DO Ruvaveruz 1.2.4",
                               Icon::None);
  EXPECT_EQ(terminal.out.str(),
            "\n[!] DO Ruvaveruz 1.2.4\nError\nFile cannot be opened\n[OK] press Enter "
            "\n[stop] DO Ruvaveruz 1.2.4\nUnknown Error\nFile cannot be processed\n[OK] press "
            "Enter "
            "\nDO Ruvaveruz 1.2.4\nNo file selected\nValidation terminated\n[OK] press Enter \n");
}

TEST(TerminalFrontend, QuestionTakesYesOrNoAndRepeatsOtherwise) {
  const std::string prompt = "Is this a Project Development Grant? [y/n] ";
  const std::string asked = "\nDuration<9 months\n" + prompt;
  const struct {
    const char* input;
    bool answer;
    std::string shown;
  } cases[] = {{"y\n", true, asked},      {"Yes\n", true, asked},
               {"n\n", false, asked},     {"maybe\nY\n", true, asked + prompt},
               {"", false, asked + "\n"}, {"what\n", false, asked + prompt + "\n"}};
  for (const auto& c : cases) {
    Terminal terminal(c.input);
    EXPECT_EQ(
        terminal.frontend.AskYesNo("Is this a Project Development Grant?", "Duration<9 months"),
        c.answer)
        << c.input;
    EXPECT_EQ(terminal.out.str(), c.shown) << c.input;
  }
}

}  // namespace
}  // namespace kv::ui
