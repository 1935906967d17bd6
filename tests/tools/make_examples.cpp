// Writes the sample work plans of the repository: examples/1234-we.docx (English) and
// examples/1234-wr.docx (Russian), both clean, and examples/1235-we.docx, an English plan
// with a few mistakes that shows what kv reports. Usage: kv_make_examples [FOLDER]
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "support/work_plan_builder.h"

namespace {

// A schedule whose first person-days total (task 1, row 5) disagrees with its quarters
// and whose last person-days row (task 3, row 10) has a quarter of 2.25 days: errors with
// green cells, and a warning with a yellow cell.
kv::testing::WorkPlanDocument FlawedPlan() {
  kv::testing::WorkPlan plan;
  plan.projectNumber = "1235";
  auto document = kv::testing::BuildWorkPlan(plan);
  std::string& taskOneTotal = document.Cell("HeadingII7", 5, plan.Quarters() + 2);
  taskOneTotal = std::to_string(std::stoi(taskOneTotal) + 10);
  document.Cell("HeadingII7", 10, 2) = "2.25";
  return document;
}

}  // namespace

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
    const auto flawed = folder / "1235-we.docx";
    FlawedPlan().Save(flawed.string());
    std::cout << flawed.string() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "kv_make_examples: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
