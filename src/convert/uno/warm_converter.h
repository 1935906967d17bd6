// A converter that keeps one LibreOffice running between conversions and drives it through
// UNO over a private pipe (builds with the LibreOffice SDK only).
#pragma once

#include <memory>

#include "convert/converter.h"

namespace kv::word {

// Starts LibreOffice at the first conversion and again after a hang or a crash; ends it
// with its profile when destroyed. Where LibreOffice cannot be started this way, every
// conversion goes through the command-line converter instead.
std::unique_ptr<DocumentConverter> MakeWarmConverter(ConverterOptions options);

}  // namespace kv::word
