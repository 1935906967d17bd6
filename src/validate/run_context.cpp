#include "validate/run_context.h"

#include <limits>
#include <stdexcept>

namespace kv::validate {

void ValidationState::SetParticipantCount(int count) {
  if (count < 0 || count > std::numeric_limits<std::int16_t>::max()) {
    throw std::length_error("participant count out of range");
  }
  ParticipantCount = static_cast<std::int16_t>(count);
  const auto institutions = static_cast<std::size_t>(count) + 1;
  for (auto* figures : {&PersonnelDays, &PersonnelGrants}) figures->resize(institutions);
  FinancialTable.resize(institutions + 1);
  FinancialTotals.resize(institutions + 1);
  OverheadValues.resize(institutions + 1);
  for (auto* sums :
       {&EquipmentInKindSums, &EquipmentPurchasedSums, &MaterialsInKindSums,
        &MaterialsPurchasedSums, &CapitalEquipmentInKindSums, &CapitalEquipmentPurchasedSums}) {
    sums->resize(institutions);
  }
  OdcInKindSums.resize(institutions);
  OdcPurchasedSums.resize(institutions);
}

RunContext::RunContext(report::RunLog& log, ui::Frontend& frontend)
    : RunLog(log),
      Frontend(frontend),
      Messages(TextCatalogue, [this](int row, int column, int colour) {
        return word::MarkCell(Document, row, column, colour);
      }) {}

}  // namespace kv::validate
