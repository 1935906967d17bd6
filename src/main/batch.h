// Runs from the command line: one document, or a batch of them one after another or
// several at once, each a complete run of its own, with one kv.log for the batch.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "main/command_line.h"
#include "report/json_report.h"
#include "report/run_log.h"
#include "convert/converter.h"

namespace kv::run {

// How the process may talk: its terminals and whether colour is wanted.
struct Terminal {
  Surroundings surroundings;
  bool errorIsTerminal = false;  // standard error
  bool colour = false;
};

struct DocumentRun {
  report::RunReport report;
  int status = 0;
};

// One run of the driver on options.file (chosen when ""): its boxes, its findings (with
// FILE, unless --json) and its reason go to `err`, nothing with --quiet but the reason of
// a failure of kv itself. `converter` serves its .doc conversions.
DocumentRun ValidateDocument(const CommandLine& options, const Terminal& terminal,
                             report::RunLog& log, std::ostream& err,
                             const std::shared_ptr<word::DocumentConverter>& converter);

// The converter of one run or batch worker, stopped by a stop signal. Both kinds start
// LibreOffice only when a .doc first needs it, so .docx documents never wait for it.
std::shared_ptr<word::DocumentConverter> MakeConverter();

// The JSON object on one line of out; false (said on err) when it could not be written.
bool PrintJson(std::ostream& out, std::ostream& err, const report::RunReport& report);

// The documents the arguments stand for, each once: a file as given, a folder the .doc
// and .docx files directly in it in name order, without -validated copies. A folder that
// cannot be read is said on err and leaves `unreadable` true.
std::vector<std::string> CollectDocuments(const std::vector<std::string>& arguments,
                                          std::ostream& err, bool& unreadable);

// True when the arguments make a batch: more than one, or a folder.
bool IsBatch(const std::vector<std::string>& arguments);

// Validates every document of the arguments with options.jobs workers, each with its
// own converter. JSON objects, boxes and findings come run by run in the order of the
// documents, and each run's lines stand together in kv.log. On a terminal the batch
// shows its progress and ends with a table of the runs. The status is the highest of
// the runs'; after a stop signal no further run starts.
int ValidateBatch(const CommandLine& options, const Terminal& terminal);

}  // namespace kv::run
