#pragma once

#include <string>

#include "validate/run_context.h"

namespace kv::validate {

// Decides whether the chosen file may be validated; sets DocLanguage, ProjectNumber and
// the series flags. Shows its own refusal box.
bool CheckFileName(RunContext& ctx, const std::string& path);

// The path of the validated copy: "-validated" before the extension of the file name,
// never equal to the chosen path.
std::string ValidatedPathFor(const std::string& selectedPath);

}  // namespace kv::validate
