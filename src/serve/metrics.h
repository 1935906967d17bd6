// What /metrics tells, in the Prometheus text format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace kv::serve {

class Metrics {
 public:
  // outcome: a run's ("validated", "refused_name", ...) or the service's refusal
  // ("no_file", "too_large", "unsupported_type", "busy").
  void CountRequest(const std::string& outcome);
  void AddConversion(double seconds);
  std::string Render(std::size_t queueLength) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::uint64_t> requests_;
  double conversionSeconds_ = 0;
  std::uint64_t conversions_ = 0;
};

}  // namespace kv::serve
