#include "word/converter.h"

namespace kv::word {
namespace {

class CommandLineConverter final : public DocumentConverter {
 public:
  explicit CommandLineConverter(ConverterOptions options) : options_(std::move(options)) {}

  ConversionResult Convert(const std::string& input, const std::string& targetExtension,
                           const std::string& outputFolder) override {
    return ConvertDocument(input, targetExtension, outputFolder, options_.TimeLimit,
                           options_.Interrupted);
  }

 private:
  ConverterOptions options_;
};

}  // namespace

std::unique_ptr<DocumentConverter> MakeCommandLineConverter(ConverterOptions options) {
  return std::make_unique<CommandLineConverter>(std::move(options));
}

std::unique_ptr<DocumentConverter> MakeDocumentConverter(ConverterOptions options) {
  return MakeCommandLineConverter(std::move(options));
}

}  // namespace kv::word
