// The run log "kv.log" in the working folder: one line per event, UTF-8, CR LF.
#pragma once

#include <iostream>
#include <string>

namespace kv::report {

class RunLog {
 public:
  // A failure to write the log is reported once on `warnings`.
  explicit RunLog(std::ostream& warnings = std::cerr) : warnings_(warnings) {}
  ~RunLog() { CloseLog(); }
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Creates the file afresh; false when it cannot be created, with the reason in
  // Failure().
  bool OpenLog(const std::string& path = "kv.log");
  void WriteLog(const std::string& text);
  void CloseLog();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Failure() const { return failure_; }

 private:
  std::ostream& warnings_;
  std::string path_;
  std::string failure_;
  int fd_ = -1;
};

// The current local date and time in the form the log and the summary use.
std::string CurrentDateTime();

}  // namespace kv::report
