// The word processor of kv: its own document model over .docx packages; .doc documents
// go through LibreOffice.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "word/converter.h"
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
};

std::unique_ptr<WordApplication> CreateDocxApplication(const EngineOptions& options = {});

// True for a Word 97-2003 document (".doc" in any letter case): it goes through LibreOffice.
bool IsDocPath(const std::string& path);

}  // namespace kv::word
