// Document conversion through LibreOffice in headless mode, with a private profile,
// its own process group and a time limit.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace kv::word {

struct ConversionResult {
  bool ok = false;
  std::string output;  // path of the converted file when ok
  std::string reason;  // one line when not ok
};

// Converts `input` into `targetExtension` ("docx" or "doc") inside `outputFolder`.
// Never leaves a LibreOffice process or its profile behind: at the time limit, or as soon
// as `interrupted` says so, its whole process group is killed and reaped.
ConversionResult ConvertDocument(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder, std::chrono::seconds timeLimit,
                                 const std::function<bool()>& interrupted = {});

}  // namespace kv::word
