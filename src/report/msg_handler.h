// A bounded, ordered list of messages that records one overflow line when it fills.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::report {

class msg_handler {
 public:
  void Init(std::int16_t c, std::string s);
  std::int16_t Count() const { return count_; }
  std::string Text() const;
  // -1 when stored, 0 when dropped (a full list).
  std::int16_t Add(std::string s);
  std::string Message(std::int16_t k) const;
  void file(const std::string& path) const;

 private:
  std::int16_t count_ = 0;
  std::int16_t limit_ = 0;
  std::string overflow_;
  std::vector<std::string> entries_;  // index 0 unused
};

}  // namespace kv::report
