#include "serve/metrics.h"

#include <sstream>

namespace kv::serve {

void Metrics::CountRequest(const std::string& outcome) {
  std::lock_guard lock(mutex_);
  ++requests_[outcome];
}

void Metrics::AddConversion(double seconds) {
  std::lock_guard lock(mutex_);
  conversionSeconds_ += seconds;
  ++conversions_;
}

std::string Metrics::Render(std::size_t queueLength) const {
  std::lock_guard lock(mutex_);
  std::ostringstream text;
  text << "# HELP kv_requests_total Validation requests answered, by outcome.\n"
       << "# TYPE kv_requests_total counter\n";
  for (const auto& [outcome, count] : requests_)
    text << "kv_requests_total{outcome=\"" << outcome << "\"} " << count << "\n";
  text << "# HELP kv_queue_length Uploads waiting for a worker.\n"
       << "# TYPE kv_queue_length gauge\n"
       << "kv_queue_length " << queueLength << "\n"
       << "# HELP kv_conversion_seconds Time LibreOffice spent converting documents.\n"
       << "# TYPE kv_conversion_seconds summary\n"
       << "kv_conversion_seconds_sum " << conversionSeconds_ << "\n"
       << "kv_conversion_seconds_count " << conversions_ << "\n";
  return text.str();
}

}  // namespace kv::serve
