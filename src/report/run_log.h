// The run log "kv.log" in the working folder: one line per event, UTF-8, CR LF.
#pragma once

#include <fstream>
#include <string>

namespace kv::report {

class RunLog {
 public:
  // Creates or truncates the file; false when it cannot be created.
  bool OpenLog(const std::string& path = "kv.log");
  void WriteLog(const std::string& text);
  void CloseLog();
  bool IsOpen() const { return out_.is_open(); }

 private:
  std::ofstream out_;
};

// The current local date and time in the form the log and the summary use.
std::string CurrentDateTime();

}  // namespace kv::report
