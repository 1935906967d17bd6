#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool ParseTechnicalSchedule(RunContext& ctx);

}  // namespace kv::validate
