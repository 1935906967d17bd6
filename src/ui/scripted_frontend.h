// Answers given in advance: the command line's file and --pdg answer, or a test's.
// Every box and question is recorded; boxes can also be echoed to a stream.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "frontend/frontend.h"

namespace kv::ui {

struct ShownBox {
  std::string text;
  std::string title;
  Icon icon = Icon::None;
};

class ScriptedFrontend : public Frontend {
 public:
  explicit ScriptedFrontend(std::string chosenFile = "", bool grantAnswer = false,
                            std::ostream* echo = nullptr);

  std::string ChooseOpenFile(const std::string& initialFolder, const std::string& initialFile,
                             const std::string& filter, const std::string& defaultExtension,
                             const std::string& title) override;
  void MessageBox(const std::string& text, const std::string& title, Icon icon) override;
  bool AskYesNo(const std::string& prompt, const std::string& title) override;

  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  const std::vector<ShownBox>& Questions() const { return questions_; }

 private:
  std::string chosenFile_;
  bool grantAnswer_;
  std::ostream* echo_;
  std::vector<ShownBox> boxes_;
  std::vector<ShownBox> questions_;
};

}  // namespace kv::ui
