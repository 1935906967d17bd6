// The JSON account of a run, taken from its result and context.
#pragma once

#include "main/driver.h"
#include "report/json_report.h"

namespace kv::run {

report::RunReport DescribeRun(const RunResult& result, const validate::RunContext& ctx);

}  // namespace kv::run
