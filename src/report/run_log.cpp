#include "report/run_log.h"

#include <ctime>

namespace kv::report {

bool RunLog::OpenLog(const std::string& path) {
  out_.open(path, std::ios::binary | std::ios::trunc);
  return out_.is_open();
}

void RunLog::WriteLog(const std::string& text) {
  if (!out_.is_open()) return;
  out_ << text << "\r\n";
  out_.flush();  // the log must hold every line even when the run ends abruptly
}

void RunLog::CloseLog() {
  if (out_.is_open()) out_.close();
}

std::string CurrentDateTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace kv::report
