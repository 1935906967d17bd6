#include "ui/scripted_frontend.h"

namespace kv::ui {

ScriptedFrontend::ScriptedFrontend(std::string chosenFile, bool grantAnswer, std::ostream* echo)
    : chosenFile_(std::move(chosenFile)), grantAnswer_(grantAnswer), echo_(echo) {}

std::string ScriptedFrontend::ChooseOpenFile(const std::string&, const std::string&,
                                             const std::string&, const std::string&,
                                             const std::string&) {
  return chosenFile_;
}

void ScriptedFrontend::MessageBox(const std::string& text, const std::string& title, Icon icon) {
  boxes_.push_back({text, title, icon});
  if (echo_ != nullptr) {
    if (!title.empty()) *echo_ << title << ": ";
    *echo_ << text << "\n";
  }
}

bool ScriptedFrontend::AskYesNo(const std::string& prompt, const std::string& title) {
  questions_.push_back({prompt, title, Icon::None});
  return grantAnswer_;
}

}  // namespace kv::ui
