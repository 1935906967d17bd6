// The funding rules of the programme, checked once the tables agree with each other.
#pragma once

#include "validate/run_context.h"

namespace kv::validate {

// Overhead within 3% to 10% of its base (not for a Project Development Grant, which may
// have neither overhead nor equipment), grants at least half of the project cost, travel
// at most 15% of it, bank fees of at least 1% of the grants, category IV within 10% of
// the grants and of the effort, category I personnel present. True when it added no
// error and no warning; information messages do not count.
bool FundingNorms(RunContext& ctx);

}  // namespace kv::validate
