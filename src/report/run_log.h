// The run log "kv.log" in the working folder: one line per event, UTF-8, CR LF.
#pragma once

#include <iostream>
#include <optional>
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
  // Failure(). A log that holds its lines opens no file: it starts an empty text, or
  // fails with the failure it was given.
  bool OpenLog(const std::string& path = "kv.log");
  void WriteLog(const std::string& text);
  void CloseLog();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Failure() const { return failure_; }

  // From now on the lines of each run are kept in memory, for a log that several runs
  // share; `failure` is the reason that shared log could not be created ("" when it was).
  void HoldLines(std::string failure);
  // The lines held since OpenLog, each ended by CR LF; the text is emptied.
  std::string TakeLines();
  // Lines already ended by CR LF (another run's), written in one piece.
  void WriteLines(const std::string& lines);

 private:
  std::ostream& warnings_;
  std::string path_;
  std::string failure_;
  int fd_ = -1;
  std::optional<std::string> held_;  // the lines, when the log holds them
  std::string holdFailure_;
};

// The current local date and time in the form the log and the summary use.
std::string CurrentDateTime();

}  // namespace kv::report
