// Runs from the command line: one document, or a batch of them one after another or
// several at once, each a complete run of its own, with one kv.log for the batch.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "main/command_line.h"
#include "main/signals.h"
#include "report/json_report.h"
#include "report/run_log.h"

namespace kv::run {

// How the process may talk: its terminals and whether colour is wanted.
struct Terminal {
  Surroundings surroundings;
  bool errorIsTerminal = false;  // standard error
  bool colour = false;
  bool logFailureShown = false;  // kv.log cannot be created, and that was said already
};

struct DocumentRun {
  report::RunReport report;
  int status = 0;
};

// What a caller other than the command line changes about a run: who asks it to stop (the
// signal that did, 0 while none did) and what it does with the copy before closing it.
struct RunControl {
  std::function<int()> stop = StopSignal;
  std::function<void(validate::RunContext&)> beforeClose = {};
};

// One run of the driver on options.file (chosen when ""): its boxes, its findings (with
// FILE, unless --json) and its reason go to `err`, nothing with --quiet but the reason of
// a failure of kv itself. `converter` serves its .doc conversions.
DocumentRun ValidateDocument(const CommandLine& options, const Terminal& terminal,
                             report::RunLog& log, std::ostream& err,
                             const std::shared_ptr<word::DocumentConverter>& converter,
                             const RunControl& control = {});

// The converter of one run or batch worker, stopped when `stop` gives a signal. Both kinds
// start LibreOffice only when a .doc first needs it, so .docx documents never wait for it.
// What killed kv processes left in the temporary folders is removed first.
std::shared_ptr<word::DocumentConverter> MakeConverter(
    const std::function<int()>& stop = StopSignal);

// The JSON object on one line of out; false (said on err) when it could not be written.
bool PrintJson(std::ostream& out, std::ostream& err, const report::RunReport& report);

// What the arguments stand for: each document once, by its full path as given (a link is
// validated under its own name); a folder the .doc and .docx files directly in it in name
// order, without -validated copies, lock files and hidden files. In a batch a -validated
// copy named explicitly is skipped too.
struct Collection {
  std::vector<std::string> documents;
  std::vector<report::RunReport> unreadable;  // a folder that cannot be read: cannot_open
  std::size_t copiesSkipped = 0;
};
Collection CollectDocuments(const std::vector<std::string>& arguments);

// The notes of a collection on err, one a line.
void PrintNotes(std::ostream& err, const Collection& collection);

// True when the arguments make a batch: more than one, or a folder.
bool IsBatch(const std::vector<std::string>& arguments);

// Validates every document of the arguments with options.jobs workers, each with its
// own converter. JSON objects, boxes and findings come run by run in the order of the
// documents, and each run's lines stand together in kv.log. On a terminal the batch
// shows its progress and ends with a table of the runs. The status is the highest of
// the runs'; after a stop signal no further run starts.
int ValidateBatch(const CommandLine& options, const Terminal& terminal);

}  // namespace kv::run
