// The front end of a terminal: the file path is typed, boxes are printed and wait for
// Enter, the question takes y or n. Works with piped input: the end of the input
// cancels the chooser, closes a box and answers No.
#pragma once

#include <istream>
#include <ostream>

#include "frontend/frontend.h"

namespace kv::ui {

class TerminalFrontend : public Frontend {
 public:
  TerminalFrontend(std::istream& in, std::ostream& out);

  std::string ChooseOpenFile(const std::string& initialFolder, const std::string& initialFile,
                             const std::string& filter, const std::string& defaultExtension,
                             const std::string& title) override;
  void MessageBox(const std::string& text, const std::string& title, Icon icon) override;
  bool AskYesNo(const std::string& prompt, const std::string& title) override;

 private:
  bool ReadLine(std::string& line);
  std::istream& in_;
  std::ostream& out_;
};

}  // namespace kv::ui
