// The HTML the service answers with: the upload page, the report of a run, a failure.
#pragma once

#include <string>

#include "serve/report_view.h"

namespace kv::serve {

// "ru" when the Accept-Language header prefers Russian to English, else "en".
std::string PreferredLanguage(const std::string& acceptLanguage);

// A plain form (no script needed) that posts the plan to /validate.
std::string UploadPage(const std::string& language);

// The three lists, each cell reference in a finding linked to its cell in the shaded
// tables drawn below them; copyUrl "" when no copy was kept.
std::string ReportPage(const ReportView& view, const std::string& copyUrl);

// Why an upload through the page was not validated, with a way back to the form.
std::string FailurePage(const std::string& language, const std::string& reason);

std::string EscapeHtml(const std::string& text);

}  // namespace kv::serve
