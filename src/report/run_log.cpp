#include "report/run_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>
#include <utility>

namespace kv::report {

// Whatever stands at the name (an old log, a link, a FIFO) is removed, never followed or
// truncated; a run started at the same time in the same folder keeps the file it
// created, so the lines of two runs never mix. A folder in the way is not removed.
bool RunLog::OpenLog(const std::string& path) {
  CloseLog();
  path_ = path;
  if (held_) {
    held_->clear();
    failure_ = holdFailure_;
    return failure_.empty();
  }
  for (int attempt = 0; attempt < 10 && fd_ < 0; ++attempt) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) break;
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  failure_ = fd_ < 0 ? std::strerror(errno) : "";
  return fd_ >= 0;
}

// Every line goes to the file at once: a run that ends abruptly keeps its trace.
void RunLog::WriteLog(const std::string& text) {
  WriteLines(text + "\r\n");
}

void RunLog::WriteLines(const std::string& lines) {
  if (held_) {
    if (failure_.empty()) *held_ += lines;
    return;
  }
  if (fd_ < 0 || !failure_.empty()) return;
  std::string_view rest = lines;
  while (!rest.empty()) {
    const ssize_t written = write(fd_, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failure_ = std::strerror(written < 0 ? errno : EIO);
      warnings_ << "kv: cannot write the run log " << path_ << ": " << failure_ << std::endl;
      return;
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

void RunLog::HoldLines(std::string failure) {
  CloseLog();
  held_.emplace();
  holdFailure_ = std::move(failure);
}

std::string RunLog::TakeLines() {
  return held_ ? std::exchange(*held_, "") : "";
}

void RunLog::CloseLog() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
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
