// The whole validation of a large work plan, as kv runs it (log, name check, open, the
// copy saved, every phase, close, the clean copy removed), beside the engine's bare open
// and save of the same file: what the checks cost on top of reading and writing it.
#include <benchmark/benchmark.h>

#include "docx/application.h"
#include "large_plan.h"
#include "main/driver.h"
#include "support/temp_dir.h"
#include "ui/scripted_frontend.h"

namespace {

namespace word = kv::word;

// The plan, written once, in a folder that lives as long as the program.
kv::testing::TempDir& Folder() {
  static kv::testing::TempDir dir;
  return dir;
}
const std::string& LargePlanPath() {
  static const std::string path = [] {
    const std::string plan = Folder() / "1234-we.docx";
    kv::testing::BuildWorkPlan(kv::bench::LargePlan()).Save(plan);
    return plan;
  }();
  return path;
}

void ValidateLargePlan(benchmark::State& state) {
  for (auto _ : state) {
    kv::report::RunLog log;
    kv::ui::ScriptedFrontend frontend(LargePlanPath());
    kv::validate::RunContext ctx(log, frontend);
    ctx.Document.CreateWordApp = [] { return word::CreateDocxApplication(); };
    kv::run::RunOptions options;
    options.LogPath = Folder() / "kv.log";
    const auto result = kv::run::Main(ctx, options);
    // A plan with findings would also type and save them: not the run measured here.
    if (result.Outcome != kv::run::RunOutcome::Validated || result.CopyKept) {
      state.SkipWithError("the large plan did not validate clean");
    }
  }
}

void OpenAndSaveLargePlan(benchmark::State& state) {
  for (auto _ : state) {
    auto app = word::CreateDocxApplication();
    app->DocumentsOpen(LargePlanPath());
    app->SaveAs(Folder() / "1234-we-validated.docx");
    app->Quit();
  }
}

}  // namespace

BENCHMARK(ValidateLargePlan)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenAndSaveLargePlan)->Unit(benchmark::kMillisecond);
