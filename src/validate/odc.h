#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool ParseOdcTables(RunContext& ctx);

}  // namespace kv::validate
