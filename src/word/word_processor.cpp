#include "word/word_processor.h"

#include "convert/doc_application.h"
#include "docx/application.h"

namespace kv::word {

std::unique_ptr<WordApplication> CreateWordProcessor(const EngineOptions& options) {
  std::shared_ptr<DocumentConverter> converter = options.Converter;
  if (!converter) {
    converter = MakeCommandLineConverter({options.ConversionTimeLimit, options.Interrupted});
  }
  return WithDocConversion(CreateDocxApplication(), std::move(converter), options.Note);
}

}  // namespace kv::word
