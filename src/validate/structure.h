#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool StructureCheck(RunContext& ctx);
bool ParticipantEntry(RunContext& ctx);
bool PartnersCheck(RunContext& ctx);

}  // namespace kv::validate
