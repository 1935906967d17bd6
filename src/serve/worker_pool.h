// The workers that validate uploads, each with a converter of its own (one LibreOffice,
// started at its first .doc and kept), fed from a bounded queue.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "serve/metrics.h"
#include "serve/report_view.h"

namespace kv::serve {

struct Upload {
  std::string path;  // the plan in its private folder of the store
  bool grant = false;
};

class WorkerPool {
 public:
  // stop: the signal that ends the runs under way, 0 while none does.
  WorkerPool(int workers, std::size_t capacity, std::function<int()> stop, Metrics& metrics);
  // Validates what is queued, then ends the workers and their LibreOffice.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The run's report to come; none when the queue is full.
  std::optional<std::future<ReportView>> Submit(Upload upload);
  std::size_t Waiting() const;
  bool Full() const;

 private:
  struct Job {
    Upload upload;
    std::promise<ReportView> result;
  };
  void Work();
  std::optional<Job> Next();

  const std::size_t capacity_;
  const std::function<int()> stop_;
  Metrics& metrics_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> queue_;
  bool closing_ = false;
  std::vector<std::jthread> workers_;
};

}  // namespace kv::serve
