// The large work plan the validation benchmarks run on: grow it here.
#pragma once

#include "support/work_plan_builder.h"

namespace kv::bench {

// Fifteen participant institutions over 60 months (20 quarters, 5 years): 16 institutions
// with their personnel and financial tables, a schedule of 20 quarters.
inline testing::WorkPlan LargePlan() {
  return {.participants = 15, .months = 60};
}

}  // namespace kv::bench
