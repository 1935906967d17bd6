// The checks across tables: the same money and effort stated in several tables must
// agree. Each logs its progress line, adds one error per figure that disagrees and
// returns true when it added no error; a check whose tables did not parse does nothing.
#pragma once

#include "validate/run_context.h"

namespace kv::validate {

bool OtherCostsConsistency(RunContext& ctx);
bool ProcurementConsistency(RunContext& ctx);
bool GrantsConsistency(RunContext& ctx);  // also keeps TotalGrants
bool FundsConsistency(RunContext& ctx);   // also keeps ProjectTotalCost
bool ManDaysConsistency(RunContext& ctx);

// All five in that order, every one even after a failed one; true when all five passed.
bool InterTableConsistency(RunContext& ctx);

}  // namespace kv::validate
