// How kv talks to the user: the file chooser, message boxes and one yes/no question.
#pragma once

#include <memory>
#include <string>

namespace kv::ui {

enum class Icon { None, Stop, Exclamation };

class Frontend {
 public:
  virtual ~Frontend() = default;
  // The chosen full path, or "" when the user cancels.
  virtual std::string ChooseOpenFile(const std::string& initialFolder,
                                     const std::string& initialFile, const std::string& filter,
                                     const std::string& defaultExtension,
                                     const std::string& title) = 0;
  // A modal box with one OK button. Lines of text are separated by line feeds.
  virtual void MessageBox(const std::string& text, const std::string& title, Icon icon) = 0;
  // A modal Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& prompt, const std::string& title) = 0;
};

}  // namespace kv::ui
