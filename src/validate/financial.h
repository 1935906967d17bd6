#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool ParseFinancialTables(RunContext& ctx);

}  // namespace kv::validate
