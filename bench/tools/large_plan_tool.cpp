// The large benchmark plan for timing whole processes: `kv_large_plan write FILE` writes
// it; `kv_large_plan open-save FILE COPY` opens FILE with the document engine and saves it
// as COPY, the bare cost beside which `kv FILE` validates it.
#include <exception>
#include <iostream>
#include <string>

#include "large_plan.h"
#include "docx/application.h"

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "write" && argc == 3) {
      kv::testing::BuildWorkPlan(kv::bench::LargePlan()).Save(argv[2]);
      return 0;
    }
    if (mode == "open-save" && argc == 4) {
      auto app = kv::word::CreateDocxApplication();
      app->DocumentsOpen(argv[2]);
      app->SaveAs(argv[3]);
      app->Quit();
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "kv_large_plan: " << e.what() << "\n";
    return 1;
  }
  std::cerr << "usage: kv_large_plan write FILE | kv_large_plan open-save FILE COPY\n";
  return 64;
}
