// The word processor the checks run on: kv's own .docx engine, with .doc documents going
// through LibreOffice.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "convert/converter.h"
#include "word/word_application.h"

namespace kv::word {

struct EngineOptions {
  std::chrono::seconds ConversionTimeLimit{120};  // per LibreOffice run
  // Asked while LibreOffice runs: true stops the conversion at once (the run was
  // interrupted).
  std::function<bool()> Interrupted = {};
  // Shared by the runs of a batch; when empty, each conversion starts its own LibreOffice
  // under the time limit and interruption above.
  std::shared_ptr<DocumentConverter> Converter = {};
  // Hears, in one line, of a document read as other than its name says (a Word 97-2003
  // document named .docx).
  std::function<void(const std::string&)> Note = {};
};

std::unique_ptr<WordApplication> CreateWordProcessor(const EngineOptions& options = {});

}  // namespace kv::word
