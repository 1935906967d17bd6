// Test word processors: kv's own .docx engine with one operation made to fail or watched.
#pragma once

#include <functional>
#include <memory>

#include "docx/application.h"
#include "word/forwarding_application.h"

namespace kv::testing {

// What a document session needs to make an App over kv's own word processor.
template <typename App>
std::function<std::unique_ptr<word::WordApplication>()> OverDocxApplication() {
  return [] { return std::make_unique<App>(word::CreateDocxApplication()); };
}

}  // namespace kv::testing
