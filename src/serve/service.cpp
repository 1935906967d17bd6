#include "serve/service.h"

#include <signal.h>

#include <httplib.h>
#include <atomic>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "serve/pages.h"
#include "serve/store.h"
#include "serve/worker_pool.h"

namespace kv::serve {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kGrace = 30s;                     // for the requests under way after a stop signal
constexpr std::size_t kFormOverhead = 64 << 10;  // the form's own bytes around the plan
constexpr char kJson[] = "application/json";
constexpr char kHtml[] = "text/html; charset=utf-8";

// An upload read from its form, or why it was refused before any run.
struct Received {
  int status = 200;
  std::string outcome;  // of a refusal
  std::string reason;
  std::string name;  // the plan's base name
  bool grant = false;
};

struct Answer {
  int status = 200;
  nlohmann::ordered_json body;
  std::string id;  // of a published report, "" when none
};

// The last part of a name a browser sent, which may be a path of either kind.
std::string BaseName(const std::string& name) {
  const auto slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool Storable(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.size() <= 255 &&
         name.find('\0') == std::string::npos;
}

nlohmann::ordered_json Refusal(const std::string& outcome, const std::string& reason) {
  return {{"outcome", outcome},
          {"reason", reason},
          {"id", nullptr},
          {"copy_url", nullptr},
          {"report_url", nullptr}};
}

// The Content-Length a request declares, 0 when it declares none (a chunked body).
std::uint64_t DeclaredLength(const httplib::Request& req) {
  try {
    return req.has_header("Content-Length") ? std::stoull(req.get_header_value("Content-Length"))
                                            : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

// A file name fit to stand between the quotes of a header.
std::string QuotedName(std::string name) {
  for (char& c : name)
    if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
  return name;
}

std::string ContentType(const std::string& name) {
  return fs::path(name).extension() == ".doc"
             ? "application/msword"
             : "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
}

std::string LogTime() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%d/%b/%Y:%H:%M:%S +0000", &utc);
  return text;
}

class Service {
 public:
  explicit Service(const run::ServeOptions& options)
      : options_(options),
        limit_(static_cast<std::size_t>(options.maxUploadMb) << 20),
        store_(std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double, std::ratio<60>>(options.keepMinutes))),
        pool_(
            options.jobs, options.queue, [this] { return Stopping(); }, metrics_) {
    const std::size_t threads = std::min(options.jobs + options.queue + 4, 512);
    server_.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    server_.set_keep_alive_timeout(2);
    // The library listens with a backlog of five: a burst of uploads overflows it and the
    // kernel drops their connections. Its socket is seen here, before it is bound.
    server_.set_socket_options([this](socket_t sock) {
      httplib::default_socket_options(sock);
      listeningSocket_ = sock;
    });
    server_.set_payload_max_length(limit_ + kFormOverhead);
    // A client that waits before sending its body learns of a refusal before sending it.
    server_.set_expect_100_continue_handler([this](const auto& req, auto& res) {
      const auto refused = req.method == "POST" ? Precheck(req) : std::nullopt;
      if (!refused) return 100;
      const Answer answer = Refused(*refused, res);
      res.status = answer.status;
      res.set_content(answer.body.dump() + "\n", kJson);
      return answer.status;
    });
    server_.set_logger([this](const auto& req, const auto& res) { Log(req, res); });
    Route();
  }

  int Run() {
    const int port =
        options_.port == 0
            ? server_.bind_to_any_port(options_.host)
            : (server_.bind_to_port(options_.host, options_.port) ? options_.port : -1);
    if (port < 0) {
      std::cerr << "kv serve: cannot listen on " << options_.host << ":" << options_.port
                << std::endl;
      return 2;
    }
    ::listen(listeningSocket_, SOMAXCONN);
    std::thread listening([this] { server_.listen_after_bind(); });
    std::cout << "kv serve: listening on http://" << options_.host << ":" << port << "/"
              << std::endl;
    const int signal = AwaitStopSignal();
    Say("kv serve: stopping (SIG" + std::string(sigabbrev_np(signal)) + ")\n");
    signal_ = signal;
    deadline_ = (Clock::now() + kGrace).time_since_epoch().count();
    AllowForcedStop();
    server_.stop();
    listening.join();
    return 0;
  }

 private:
  // Expires the store while waiting; the signals are blocked in every thread of the service.
  int AwaitStopSignal() {
    sigset_t signals = StopSignals();
    const timespec tick{0, 250'000'000};
    for (;;) {
      const int signal = sigtimedwait(&signals, nullptr, &tick);
      if (signal > 0) return signal;
      store_.Expire();
    }
  }

  // A second signal ends the process at once.
  static void AllowForcedStop() {
    sigset_t signals = StopSignals();
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
  }

 public:
  static sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, s);
    return signals;
  }

 private:
  // The stop signal once the requests under way have had their time, else 0.
  int Stopping() const {
    const auto deadline = deadline_.load();
    return deadline != 0 && Clock::now().time_since_epoch().count() > deadline ? signal_.load() : 0;
  }

  void Route() {
    server_.Get("/", [](const httplib::Request& req, httplib::Response& res) {
      const std::string language = PreferredLanguage(req.get_header_value("Accept-Language"));
      res.set_header("Content-Language", language);
      res.set_header("Vary", "Accept-Language");
      res.set_content(UploadPage(language), kHtml);
    });
    server_.Get("/healthz", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("ok\n", "text/plain");
    });
    server_.Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(metrics_.Render(pool_.Waiting()), "text/plain; version=0.0.4");
    });
    server_.Get("/api/copies/([0-9a-f]+)", [this](const httplib::Request& req,
                                                  httplib::Response& res) {
      const std::string path = store_.CopyPath(req.matches[1]);
      const std::string name = fs::path(path).filename().string();
      if (SendFile(res, path, ContentType(name)))
        res.set_header("Content-Disposition", "attachment; filename=\"" + QuotedName(name) + "\"");
    });
    server_.Get("/reports/([0-9a-f]+)",
                [this](const httplib::Request& req, httplib::Response& res) {
                  const std::string path = store_.ReportPath(req.matches[1]);
                  SendFile(res, path, kHtml);
                });
    server_.Post("/api/validate", [this](const httplib::Request& req, httplib::Response& res,
                                         const httplib::ContentReader& reader) {
      const Answer answer = Validate(req, res, reader);
      res.status = answer.status;
      res.set_content(answer.body.dump() + "\n", kJson);
    });
    server_.Post("/validate", [this](const httplib::Request& req, httplib::Response& res,
                                     const httplib::ContentReader& reader) {
      const Answer answer = Validate(req, res, reader);
      res.status = answer.status;
      if (!answer.id.empty()) {
        res.status = 303;
        res.set_redirect("/reports/" + answer.id, 303);
        return;
      }
      const auto reason = answer.body.value("reason", nlohmann::ordered_json()).is_string()
                              ? answer.body["reason"].get<std::string>()
                              : answer.body.value("outcome", std::string());
      res.set_content(
          FailurePage(PreferredLanguage(req.get_header_value("Accept-Language")), reason), kHtml);
    });
  }

  static bool SendFile(httplib::Response& res, const std::string& path, const std::string& type) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (path.empty() || !(bytes << in.rdbuf())) {  // unknown, expired or expiring meanwhile
      res.status = 404;
      res.set_content("not found\n", "text/plain");
      return false;
    }
    res.set_content(bytes.str(), type);
    return true;
  }

  // A refusal that needs no look at the body: another type, too large, no worker free.
  std::optional<Received> Precheck(const httplib::Request& req) const {
    if (!req.is_multipart_form_data())
      return Received{415, "unsupported_type", "the request is not multipart/form-data", "", false};
    if (DeclaredLength(req) > limit_ + kFormOverhead) return TooLarge();
    if (pool_.Full()) return Busy();
    return std::nullopt;
  }

  // Reads the form into the upload's folder, or tells why not.
  Received Receive(const httplib::ContentReader& reader, const fs::path& folder) {
    Received received;
    std::string field, pdg;
    std::ofstream plan;
    bool planSeen = false, badName = false;
    std::size_t total = 0;
    const bool complete = reader(
        [&](const httplib::MultipartFormData& part) {
          field = part.name == "plan" && planSeen ? "" : part.name;  // one plan, the first
          if (field != "plan") return true;
          planSeen = true;
          received.name = BaseName(part.filename);
          badName = !Storable(received.name);
          if (!badName) plan.open(folder / received.name, std::ios::binary | std::ios::trunc);
          badName = badName || !plan;
          return true;
        },
        [&](const char* data, std::size_t length) {
          total += length;
          if (total > limit_) return false;
          if (field == "plan" && plan.is_open())
            plan.write(data, static_cast<std::streamsize>(length));
          if (field == "pdg" && pdg.size() < 8) pdg.append(data, std::min<std::size_t>(length, 8));
          return true;
        });
    plan.close();
    if (total > limit_) return TooLarge();
    if (!complete) return {400, "no_file", "the form could not be read", "", false};
    if (!planSeen) return {400, "no_file", "the form has no plan file", "", false};
    if (pdg != "" && pdg != "yes" && pdg != "no")
      return {400, "no_file", "pdg must be yes or no", received.name, false};
    if (badName || !plan) return {400, "refused_name", "incorrect file name", received.name, false};
    received.grant = pdg == "yes";
    return received;
  }

  static Received Busy() {
    return {503, "busy", "every worker is busy; try again shortly", "", false};
  }

  Received TooLarge() const {
    return {413, "too_large",
            "the upload is larger than " + std::to_string(options_.maxUploadMb) + " MiB", "",
            false};
  }

  Answer Validate(const httplib::Request& req, httplib::Response& res,
                  const httplib::ContentReader& reader) {
    if (const auto refused = Precheck(req)) {
      Drain(req, reader);
      return Refused(*refused, res);
    }
    const std::string id = store_.Open();
    const fs::path folder = store_.Folder(id);
    const Received received = Receive(reader, folder);
    if (received.status != 200) {
      store_.Discard(id);
      return Refused(received, res);
    }
    auto pending = pool_.Submit({(folder / received.name).string(), received.grant});
    if (!pending) {
      store_.Discard(id);
      return Refused(Busy(), res);
    }
    ReportView view = pending->get();
    return Answered(id, received.name, std::move(view));
  }

  Answer Refused(const Received& refusal, httplib::Response& res) {
    metrics_.CountRequest(refusal.outcome);
    if (refusal.status == 503) res.set_header("Retry-After", "5");
    auto body = Refusal(refusal.outcome, refusal.reason);
    if (!refusal.name.empty()) body["file"] = refusal.name;
    return {refusal.status, body, ""};
  }

  // The body of a request refused unread, skipped so the connection can go on; a body
  // above the limit is skipped by the server unread.
  static void Drain(const httplib::Request& req, const httplib::ContentReader& reader) {
    const auto skip = [](const char*, std::size_t) { return true; };
    if (req.is_multipart_form_data())
      reader([](const httplib::MultipartFormData&) { return true; }, skip);
    else
      reader(skip);
  }

  // The run's JSON object with names in place of the store's paths.
  Answer Answered(const std::string& id, const std::string& name, ReportView view) {
    auto& report = view.report;
    metrics_.CountRequest(report.outcome);
    std::error_code ignored;
    fs::remove(store_.Folder(id) / name, ignored);
    report.file = name;
    if (report.validatedCopy)
      report.validatedCopy = fs::path(*report.validatedCopy).filename().string();
    auto body = nlohmann::ordered_json::parse(report::ToJson(report));
    for (const char* field : {"id", "copy_url", "report_url"}) body[field] = nullptr;
    if (report.outcome != "validated") {
      store_.Discard(id);
      return {report.outcome == "abnormal_termination" ? 500 : 400, body, ""};
    }
    const std::string copyUrl = report.validatedCopy ? "/api/copies/" + id : "";
    store_.Publish(id, report.validatedCopy.value_or(""), ReportPage(view, copyUrl));
    body["id"] = id;
    if (!copyUrl.empty()) body["copy_url"] = copyUrl;
    body["report_url"] = "/reports/" + id;
    return {200, body, id};
  }

  void Log(const httplib::Request& req, const httplib::Response& res) {
    std::ostringstream line;
    line << req.remote_addr << " - - [" << LogTime() << "] \"" << req.method << " " << req.path
         << " " << req.version << "\" " << res.status << " " << res.body.size() << "\n";
    Say(line.str());
  }

  // Whole lines on standard error: requests still being answered log while the service
  // says it stops.
  void Say(const std::string& line) {
    std::lock_guard lock(logMutex_);
    std::cerr << line << std::flush;
  }

  const run::ServeOptions options_;
  const std::size_t limit_;
  std::atomic<int> signal_ = 0;
  std::atomic<Clock::rep> deadline_ = 0;
  Metrics metrics_;
  Store store_;
  WorkerPool pool_;
  std::mutex logMutex_;
  socket_t listeningSocket_ = -1;
  httplib::Server server_;
};

}  // namespace

int Serve(const run::ServeOptions& options) {
  // Blocked before any thread starts, so every thread inherits it and only the main thread
  // takes the stop signals.
  const sigset_t signals = Service::StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  try {
    Service service(options);
    return service.Run();
  } catch (const std::exception& failure) {
    std::cerr << "kv serve: " << failure.what() << std::endl;
    return 2;
  }
}

}  // namespace kv::serve
