#include "report/msg_handler.h"

#include <fstream>

namespace kv::report {

void msg_handler::Init(std::int16_t c, std::string s) {
  limit_ = c < 0 ? 0 : c;
  overflow_ = std::move(s);
  count_ = 0;
  entries_.assign(static_cast<std::size_t>(limit_) + 2, std::string());
}

std::string msg_handler::Text() const {
  std::string joined;
  for (std::int16_t k = 1; k <= count_; ++k) {
    if (k > 1) joined += '\n';
    joined += entries_[k];
  }
  return joined;
}

std::int16_t msg_handler::Add(std::string s) {
  if (count_ < limit_) {
    entries_[++count_] = std::move(s);
    return -1;
  }
  // The list is full: the first message that finds it so leaves the overflow line.
  if (count_ == limit_ && !overflow_.empty()) entries_[++count_] = overflow_;
  return 0;
}

std::string msg_handler::Message(std::int16_t k) const {
  if (count_ == 0 || k < 1 || k > count_) return "";
  return entries_[k];
}

void msg_handler::file(const std::string& path) const {
  if (count_ == 0 || path.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::int16_t k = 1; k <= count_; ++k) out << entries_[k] << "\r\n";
}

}  // namespace kv::report
