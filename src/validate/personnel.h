#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool ParsePersonnelCommitments(RunContext& ctx);

}  // namespace kv::validate
