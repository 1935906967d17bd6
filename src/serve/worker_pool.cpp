#include "serve/worker_pool.h"

#include <chrono>
#include <sstream>

#include "main/batch.h"

namespace kv::serve {
namespace {

// A converter that tells the metrics how long each conversion took.
class TimedConverter : public word::DocumentConverter {
 public:
  TimedConverter(std::shared_ptr<word::DocumentConverter> converter, Metrics& metrics)
      : converter_(std::move(converter)), metrics_(metrics) {}

  word::ConversionResult Convert(const std::string& input, const std::string& targetExtension,
                                 const std::string& outputFolder) override {
    const auto start = std::chrono::steady_clock::now();
    auto result = converter_->Convert(input, targetExtension, outputFolder);
    metrics_.AddConversion(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return result;
  }

 private:
  std::shared_ptr<word::DocumentConverter> converter_;
  Metrics& metrics_;
};

// One run on the upload, as `kv --json --quiet --pdg yes|no FILE` does it, its log lines held
// rather than written; the view is taken while the copy is open.
ReportView Validate(const Upload& upload, const std::function<int()>& stop,
                    const std::shared_ptr<word::DocumentConverter>& converter) {
  ReportView view;
  run::CommandLine options;
  options.json = true;
  options.quiet = true;
  options.grantAnswer = upload.grant;
  options.file = upload.path;
  report::RunLog log;
  log.HoldLines("");
  std::ostringstream boxes;
  const run::RunControl control{stop,
                                [&view](validate::RunContext& ctx) { CaptureView(ctx, view); }};
  view.report = run::ValidateDocument(options, {}, log, boxes, converter, control).report;
  return view;
}

}  // namespace

WorkerPool::WorkerPool(int workers, std::size_t capacity, std::function<int()> stop,
                       Metrics& metrics)
    : capacity_(capacity), stop_(std::move(stop)), metrics_(metrics) {
  for (int k = 0; k < workers; ++k) workers_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  ready_.notify_all();
  workers_.clear();
}

std::optional<std::future<ReportView>> WorkerPool::Submit(Upload upload) {
  std::lock_guard lock(mutex_);
  if (closing_ || queue_.size() >= capacity_) return std::nullopt;
  queue_.push_back({std::move(upload), {}});
  auto result = queue_.back().result.get_future();
  ready_.notify_one();
  return result;
}

std::size_t WorkerPool::Waiting() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

bool WorkerPool::Full() const {
  std::lock_guard lock(mutex_);
  return queue_.size() >= capacity_;
}

std::optional<WorkerPool::Job> WorkerPool::Next() {
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
  if (queue_.empty()) return std::nullopt;
  Job job = std::move(queue_.front());
  queue_.pop_front();
  return job;
}

void WorkerPool::Work() {
  const auto converter = std::make_shared<TimedConverter>(run::MakeConverter(stop_), metrics_);
  while (auto job = Next()) {
    try {
      job->result.set_value(Validate(job->upload, stop_, converter));
    } catch (...) {
      job->result.set_exception(std::current_exception());
    }
  }
}

}  // namespace kv::serve
