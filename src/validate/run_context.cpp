#include "validate/run_context.h"

namespace kv::validate {

RunContext::RunContext(report::RunLog& log, ui::Frontend& frontend)
    : RunLog(log),
      Frontend(frontend),
      Messages(TextCatalogue, [this](int row, int column, int colour) {
        return word::MarkCell(Document, row, column, colour);
      }) {}

}  // namespace kv::validate
