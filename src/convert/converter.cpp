#include "convert/converter.h"

#ifdef KV_HAVE_UNO
#include "convert/uno/warm_converter.h"
#endif

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
#ifdef KV_HAVE_UNO
  return MakeWarmConverter(std::move(options));
#else
  return MakeCommandLineConverter(std::move(options));
#endif
}

}  // namespace kv::word
