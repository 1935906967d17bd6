#include "ui/qt/qt_frontend.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QStringList>
#include <cerrno>

#include "ui/file_filter.h"

namespace kv::ui {
namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

QMessageBox::Icon ToQtIcon(Icon icon) {
  switch (icon) {
    case Icon::Stop:
      return QMessageBox::Critical;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

bool QtDisplayReachable() {
  if (QApplication::instance() != nullptr) return true;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) dup2(quiet, STDERR_FILENO);  // Qt's complaints are not for the user
    int argc = 1;
    char name[] = "kv";
    char* argv[] = {name, nullptr};
    const QApplication probe(argc, argv);
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::unique_ptr<QFileDialog> MakeOpenFileDialog(const std::string& initialFolder,
                                                const std::string& initialFile,
                                                const std::string& filter,
                                                const std::string& defaultExtension,
                                                const std::string& title) {
  auto dialog = std::make_unique<QFileDialog>(nullptr, ToQt(title.empty() ? "Open file" : title),
                                              ToQt(initialFolder));
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);
  QStringList filters;
  for (const auto& pair : ParseFilter(filter)) filters << ToQt(DisplayFilter(pair));
  dialog->setNameFilters(filters);
  dialog->setDefaultSuffix(ToQt(defaultExtension));
  if (!initialFile.empty()) dialog->selectFile(ToQt(initialFile));
  return dialog;
}

std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, const std::string& title,
                                            Icon icon) {
  auto box =
      std::make_unique<QMessageBox>(ToQtIcon(icon), ToQt(title), ToQt(text), QMessageBox::Ok);
  box->setTextFormat(Qt::PlainText);  // paths may hold "<" and "&"
  return box;
}

std::unique_ptr<QMessageBox> MakeQuestionBox(const std::string& prompt, const std::string& title) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, ToQt(title), ToQt(prompt),
                                           QMessageBox::Yes | QMessageBox::No);
  box->setTextFormat(Qt::PlainText);
  box->setDefaultButton(QMessageBox::Yes);
  return box;
}

QtFrontend::QtFrontend() {
  if (QApplication::instance() == nullptr)
    application_ = std::make_unique<QApplication>(argc_, argv_);
}

QtFrontend::~QtFrontend() = default;

std::string QtFrontend::ChooseOpenFile(const std::string& initialFolder,
                                       const std::string& initialFile, const std::string& filter,
                                       const std::string& defaultExtension,
                                       const std::string& title) {
  auto dialog = MakeOpenFileDialog(initialFolder, initialFile, filter, defaultExtension, title);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return "";
  return dialog->selectedFiles().constFirst().toStdString();
}

void QtFrontend::MessageBox(const std::string& text, const std::string& title, Icon icon) {
  MakeMessageBox(text, title, icon)->exec();
}

bool QtFrontend::AskYesNo(const std::string& prompt, const std::string& title) {
  return MakeQuestionBox(prompt, title)->exec() == QMessageBox::Yes;
}

}  // namespace kv::ui
