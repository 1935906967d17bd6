// Writes the sample work plans of the repository: examples/1234-we.docx (English) and
// examples/1234-wr.docx (Russian), both clean. Usage: kv_make_examples [FOLDER]
#include <exception>
#include <filesystem>
#include <iostream>

#include "support/work_plan_builder.h"

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(KV_SOURCE_DIR) / "examples";
  try {
    std::filesystem::create_directories(folder);
    for (bool russian : {false, true}) {
      kv::testing::WorkPlan plan;
      plan.russian = russian;
      const auto path = folder / (plan.projectNumber + (russian ? "-wr.docx" : "-we.docx"));
      kv::testing::BuildWorkPlan(plan).Save(path.string());
      std::cout << path.string() << "\n";
    }
  } catch (const std::exception& e) {
    std::cerr << "kv_make_examples: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
