// Document conversion through LibreOffice in headless mode, with a private profile,
// its own process group and a time limit.
#pragma once

#include <chrono>
#include <string>

namespace kv::word {

struct ConversionResult {
  bool ok = false;
  std::string output;  // path of the converted file when ok
  std::string reason;  // one line when not ok
};

// Converts `input` into `targetExtension` ("docx" or "doc") inside `outputFolder`.
// Never leaves a LibreOffice process or its profile behind.
ConversionResult ConvertDocument(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder, std::chrono::seconds timeLimit);

}  // namespace kv::word
