#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool ParseProcurementTables(RunContext& ctx);

}  // namespace kv::validate
