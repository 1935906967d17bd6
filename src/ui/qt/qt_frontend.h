// The desktop front end: Qt 6 Widgets dialogs. The dialogs are built by the factory
// functions below so that their texts, icons and buttons can be checked without
// showing them.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "frontend/frontend.h"

class QApplication;

namespace kv::ui {

// Whether Qt can start on the display at hand. Qt ends the process when it cannot, so
// the attempt is made in a child process.
bool QtDisplayReachable();

std::unique_ptr<QFileDialog> MakeOpenFileDialog(const std::string& initialFolder,
                                                const std::string& initialFile,
                                                const std::string& filter,
                                                const std::string& defaultExtension,
                                                const std::string& title);
std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, const std::string& title,
                                            Icon icon);
std::unique_ptr<QMessageBox> MakeQuestionBox(const std::string& prompt, const std::string& title);

class QtFrontend : public Frontend {
 public:
  // Starts the Qt application unless one is already running.
  QtFrontend();
  ~QtFrontend() override;

  std::string ChooseOpenFile(const std::string& initialFolder, const std::string& initialFile,
                             const std::string& filter, const std::string& defaultExtension,
                             const std::string& title) override;
  void MessageBox(const std::string& text, const std::string& title, Icon icon) override;
  bool AskYesNo(const std::string& prompt, const std::string& title) override;

 private:
  int argc_ = 1;
  char programName_[3] = "kv";
  char* argv_[2] = {programName_, nullptr};
  std::unique_ptr<QApplication> application_;
};

}  // namespace kv::ui
