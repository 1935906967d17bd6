#include "ui/terminal_frontend.h"

#include <filesystem>
#include <string_view>

#include "ui/file_filter.h"

namespace kv::ui {
namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string_view IconLabel(Icon icon) {
  switch (icon) {
    case Icon::Stop:
      return "[stop] ";
    case Icon::Exclamation:
      return "[!] ";
    case Icon::None:
      break;
  }
  return "";
}

// A path typed relative to the working folder becomes a full path, as a chooser gives.
std::string FullPath(const std::string& typed, const std::string& initialFolder) {
  std::filesystem::path path(typed);
  if (path.is_relative() && !initialFolder.empty()) path = initialFolder / path;
  return std::filesystem::absolute(path).lexically_normal().string();
}

}  // namespace

TerminalFrontend::TerminalFrontend(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

bool TerminalFrontend::ReadLine(std::string& line) {
  if (!std::getline(in_, line)) return false;
  line = Trimmed(line);
  return true;
}

std::string TerminalFrontend::ChooseOpenFile(const std::string& initialFolder,
                                             const std::string& /*initialFile*/,
                                             const std::string& filter,
                                             const std::string& /*defaultExtension*/,
                                             const std::string& title) {
  out_ << (title.empty() ? "Open file" : title) << "\n";
  for (const auto& pair : ParseFilter(filter)) out_ << "  " << DisplayFilter(pair) << "\n";
  for (;;) {
    out_ << "File path (empty to cancel): " << std::flush;
    std::string typed;
    if (!ReadLine(typed) || typed.empty()) {
      out_ << "\n";
      return "";
    }
    const std::string path = FullPath(typed, initialFolder);
    if (std::filesystem::is_regular_file(path)) return path;
    out_ << "No such file: " << path << "\n";
  }
}

void TerminalFrontend::MessageBox(const std::string& text, const std::string& title, Icon icon) {
  out_ << "\n" << IconLabel(icon) << title << "\n" << text << "\n[OK] press Enter " << std::flush;
  std::string ignored;
  if (!ReadLine(ignored)) out_ << "\n";
}

bool TerminalFrontend::AskYesNo(const std::string& prompt, const std::string& title) {
  out_ << "\n" << title << "\n";
  for (;;) {
    out_ << prompt << " [y/n] " << std::flush;
    std::string answer;
    if (!ReadLine(answer)) {
      out_ << "\n";
      return false;
    }
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") return true;
    if (answer == "n" || answer == "N" || answer == "no" || answer == "No") return false;
  }
}

}  // namespace kv::ui
