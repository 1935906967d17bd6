#include "convert/converter.h"

#include "convert/soffice_process.h"

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

// Once LibreOffice has run out of time, the documents after it fail at once with the same
// reason: a LibreOffice that hangs would cost the time limit again on every one.
class GivingUpConverter final : public DocumentConverter {
 public:
  GivingUpConverter(std::unique_ptr<DocumentConverter> converter, std::chrono::seconds timeLimit)
      : converter_(std::move(converter)), timedOut_(soffice::TimedOutReason(timeLimit)) {}

  ConversionResult Convert(const std::string& input, const std::string& targetExtension,
                           const std::string& outputFolder) override {
    if (gaveUp_) return soffice::Failure(timedOut_);
    ConversionResult result = converter_->Convert(input, targetExtension, outputFolder);
    gaveUp_ = result.reason == timedOut_;
    return result;
  }

 private:
  std::unique_ptr<DocumentConverter> converter_;
  std::string timedOut_;
  bool gaveUp_ = false;
};

}  // namespace

std::unique_ptr<DocumentConverter> MakeCommandLineConverter(ConverterOptions options) {
  return std::make_unique<CommandLineConverter>(std::move(options));
}

std::unique_ptr<DocumentConverter> MakeDocumentConverter(ConverterOptions options) {
  const std::chrono::seconds timeLimit = options.TimeLimit;
#ifdef KV_HAVE_UNO
  return std::make_unique<GivingUpConverter>(MakeWarmConverter(std::move(options)), timeLimit);
#else
  return std::make_unique<GivingUpConverter>(MakeCommandLineConverter(std::move(options)),
                                             timeLimit);
#endif
}

}  // namespace kv::word
