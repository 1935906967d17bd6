// Writes the plans the batch benchmarks run on: FOLDER/doc holds 20 .doc plans
// (2201-we.doc ...), FOLDER/docx 200 .docx plans (3001-we.docx ...); every second plan
// has mistakes in its personnel tables, the others are clean. Each plan carries the
// project number of its file name, which its cost tables' headers must repeat.
#include <filesystem>
#include <iostream>

#include "support/work_plan_builder.h"
#include "convert/converter.h"

namespace fs = std::filesystem;
using namespace kv::testing;

namespace {

WorkPlanDocument Plan(int k, const std::string& number) {
  return k % 2 == 0 ? BuildWorkPlan({.projectNumber = number}) : PlanWithPersonnelMistakes(number);
}

// The .docx plans, written in `folder`; the .doc ones converted from them by one
// LibreOffice. False when a conversion failed.
bool WritePlans(const fs::path& folder, int firstNumber, int count, const std::string& extension,
                kv::word::DocumentConverter& converter) {
  fs::create_directories(folder);
  for (int k = 0; k < count; ++k) {
    const std::string number = std::to_string(firstNumber + k);
    const fs::path docx = folder / (number + "-we.docx");
    Plan(k, number).Save(docx);
    if (extension == "docx") continue;
    const auto doc = converter.Convert(docx, extension, folder.string());
    fs::remove(docx);
    if (!doc.ok) {
      std::cerr << "kv_bench_plans: " << doc.reason << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kv_bench_plans FOLDER\n";
    return 64;
  }
  const fs::path root = argv[1];
  const auto converter = kv::word::MakeDocumentConverter({});
  if (!WritePlans(root / "doc", 2201, 20, "doc", *converter)) return 2;
  if (!WritePlans(root / "docx", 3001, 200, "docx", *converter)) return 2;
  return 0;
}
