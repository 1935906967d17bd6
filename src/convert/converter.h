// Conversion between .doc and .docx through LibreOffice. A converter may keep LibreOffice
// running between conversions; one converter serves one run or a whole batch, one
// conversion at a time.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "convert/soffice.h"

namespace kv::word {

class DocumentConverter {
 public:
  virtual ~DocumentConverter() = default;
  // Converts `input` into `targetExtension` ("docx" or "doc") inside `outputFolder`.
  virtual ConversionResult Convert(const std::string& input, const std::string& targetExtension,
                                   const std::string& outputFolder) = 0;
};

struct ConverterOptions {
  std::chrono::seconds TimeLimit{120};  // per conversion
  // Asked while LibreOffice works, possibly from another thread: true stops the conversion
  // at once.
  std::function<bool()> Interrupted = {};
};

// Starts one soffice per call of ConvertDocument, with a fresh private profile each time.
std::unique_ptr<DocumentConverter> MakeCommandLineConverter(ConverterOptions options);

// The best converter this build and machine offer: one LibreOffice kept running for all
// conversions where the build has the LibreOffice SDK, else the command-line converter.
std::unique_ptr<DocumentConverter> MakeDocumentConverter(ConverterOptions options);

}  // namespace kv::word
