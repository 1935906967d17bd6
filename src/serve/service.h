// kv serve: validation of uploaded work plans over HTTP.
//
//   POST /api/validate   multipart "plan" (and "pdg" yes|no): the run's JSON object with
//                        "id", "copy_url" and "report_url"
//   POST /validate       the same from the upload page, answered by a redirect to the report
//   GET  /api/copies/ID  the validated copy;  GET /reports/ID  the HTML report
//   GET  /  /healthz  /metrics
#pragma once

#include "main/command_line.h"

namespace kv::serve {

// Serves until SIGINT, SIGTERM or SIGHUP, then finishes the requests under way (at most
// 30 s), stops every LibreOffice, removes the store and returns 0; 2 when it cannot start.
// Prints "kv serve: listening on http://HOST:PORT/" on standard output once it listens, and
// one access-log line per request on standard error.
int Serve(const run::ServeOptions& options);

}  // namespace kv::serve
