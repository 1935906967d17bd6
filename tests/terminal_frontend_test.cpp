// The terminal front end with piped input.
#include "ui/terminal_frontend.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "ui/file_filter.h"

namespace kv::ui {
namespace {

struct Terminal {
  explicit Terminal(const std::string& input) : in(input), frontend(in, out) {}
  std::istringstream in;
  std::ostringstream out;
  TerminalFrontend frontend;
};

std::string Choose(Terminal& terminal, const std::string& folder = "") {
  return terminal.frontend.ChooseOpenFile(folder, "", "MS Word document | *.doc;*.docx", "doc",
                                          "Validate workplan");
}

TEST(TerminalFrontend, ChooserReturnsTheFullPathOfAnExistingFile) {
  testing::TempDir dir;
  std::ofstream(dir / "1234-we.doc") << "x";
  Terminal terminal("missing.doc\n  1234-we.doc  \n");
  EXPECT_EQ(Choose(terminal, dir.path().string()), dir / "1234-we.doc");
  EXPECT_EQ(terminal.out.str(),
            "Validate workplan\n  MS Word document (*.doc *.docx)\n"
            "File path (empty to cancel): No such file: " +
                (dir / "missing.doc") + "\nFile path (empty to cancel): ");
}

TEST(TerminalFrontend, EmptyLineOrEndOfInputCancelsTheChooser) {
  for (const char* input : {"\n", "", "   \n"}) {
    Terminal terminal(input);
    EXPECT_EQ(Choose(terminal), "") << '"' << input << '"';
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
  const struct {
    const char* input;
    bool answer;
    int prompts;
  } cases[] = {{"y\n", true, 1},        {"Yes\n", true, 1}, {"n\n", false, 1},
               {"maybe\nY\n", true, 2}, {"", false, 1},     {"what\n", false, 2}};
  for (const auto& c : cases) {
    Terminal terminal(c.input);
    EXPECT_EQ(
        terminal.frontend.AskYesNo("Is this a Project Development Grant?", "Duration<9 months"),
        c.answer)
        << c.input;
    const std::string shown = terminal.out.str();
    EXPECT_EQ(shown.find("\nDuration<9 months\n"), 0u) << c.input;
    int prompts = 0;
    for (auto at = shown.find(" [y/n] "); at != std::string::npos;
         at = shown.find(" [y/n] ", at + 1))
      ++prompts;
    EXPECT_EQ(prompts, c.prompts) << c.input;
  }
}

TEST(FileFilter, PairsAreSplitAndTrimmed) {
  const auto pairs = ParseFilter(" MS Word document | *.doc ; *.docx |Any|*");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].description, "MS Word document");
  EXPECT_EQ(pairs[0].patterns, (std::vector<std::string>{"*.doc", "*.docx"}));
  EXPECT_EQ(DisplayFilter(pairs[0]), "MS Word document (*.doc *.docx)");
  EXPECT_EQ(DisplayFilter(pairs[1]), "Any (*)");

  const auto single = ParseFilter("Documents");
  ASSERT_EQ(single.size(), 1u);
  EXPECT_TRUE(single[0].patterns.empty());
  EXPECT_EQ(DisplayFilter(single[0]), "Documents");
}

}  // namespace
}  // namespace kv::ui
