#include "convert/uno/warm_converter.h"

#include <signal.h>
#include <unistd.h>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "convert/soffice_process.h"

namespace kv::word {
namespace {

using namespace soffice;
using namespace com::sun::star;
using uno::Reference;
using Clock = std::chrono::steady_clock;

rtl::OUString Utf16(const std::string& text) {
  return rtl::OStringToOUString(rtl::OString(text.c_str()), RTL_TEXTENCODING_UTF8);
}

std::string Utf8(const rtl::OUString& text) {
  return rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8).getStr();
}

beans::PropertyValue Property(const char* name, const uno::Any& value) {
  return beans::PropertyValue(rtl::OUString::createFromAscii(name), 0, value,
                              beans::PropertyState_DIRECT_VALUE);
}

// Watches one conversion from another thread: at the time limit, or as soon as the run is
// interrupted, it kills LibreOffice's process group, which makes the UNO call that waits
// on it fail.
class Watchdog {
 public:
  enum class Verdict { None, TimedOut, Interrupted };

  Watchdog(pid_t group, std::chrono::seconds timeLimit, std::function<bool()> interrupted)
      : thread_([this, group, deadline = Clock::now() + timeLimit, interrupted] {
          std::unique_lock lock(mutex_);
          while (!done_) {
            if (interrupted && interrupted()) {
              Fire(group, Verdict::Interrupted);
            } else if (Clock::now() >= deadline) {
              Fire(group, Verdict::TimedOut);
            } else {
              wake_.wait_for(lock, std::chrono::milliseconds(20));
            }
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  Verdict verdict() const { return verdict_; }

 private:
  void Fire(pid_t group, Verdict verdict) {
    verdict_ = verdict;
    killpg(group, SIGKILL);
    done_ = true;
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::atomic<Verdict> verdict_{Verdict::None};
  std::thread thread_;  // last: it starts once the rest is ready
};

// A profile that LibreOffice made once, kept in the user's cache: copied into each new
// private profile, it spares LibreOffice making one from scratch at every start.
std::optional<fs::path> ProfileTemplate() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
    return fs::path(cache) / "kv/soffice-profile";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    return fs::path(home) / ".cache/kv/soffice-profile";
  }
  return std::nullopt;
}

// Keeps the profile of a soffice that quit of its own accord, when none is kept yet; it is
// copied aside first and renamed, so a profile half-copied never serves.
void KeepAsTemplate(const fs::path& profile) {
  const std::optional<fs::path> kept = ProfileTemplate();
  std::error_code error;
  if (!kept || fs::exists(*kept, error)) return;
  const fs::path copy = kept->string() + "-" + std::to_string(getpid());
  fs::create_directories(kept->parent_path(), error);
  fs::copy(profile, copy, fs::copy_options::recursive, error);
  if (!error) fs::rename(copy, *kept, error);
  if (error) fs::remove_all(copy, error);
}

// One soffice of this process, listening on a pipe named after its private folder.
struct Office {
  WorkFolder work;
  pid_t pid = -1;
  std::string pipe;
  Reference<uno::XComponentContext> local;
  Reference<frame::XDesktop2> desktop;

  Office() : pipe("kv-" + std::to_string(getpid()) + "-" + work.path().filename().string()) {}
  ~Office() {
    if (desktop.is()) Terminate();
    if (pid != -1) EndGroup(pid);
    // A killed soffice leaves its pipe's socket behind.
    for (const char* folder : {"/tmp", "/var/tmp"}) {
      std::error_code ignored;
      fs::remove(fs::path(folder) / ("OSL_PIPE_" + std::to_string(getuid()) + "_" + pipe), ignored);
    }
    if (const Reference<lang::XComponent> component(local, uno::UNO_QUERY); component.is()) {
      component->dispose();
    }
  }

  // Asks soffice to quit, so that it removes its pipes in /tmp; one that does not quit
  // within a few seconds is killed.
  void Terminate() {
    constexpr std::chrono::seconds kGrace{5};
    const Watchdog watchdog(pid, kGrace, {});
    try {
      desktop->terminate();
    } catch (const uno::Exception&) {
    }
    desktop.clear();
    while (!HasExited(pid) && watchdog.verdict() == Watchdog::Verdict::None) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (watchdog.verdict() == Watchdog::Verdict::None) KeepAsTemplate(work.Profile());
  }
};

using Verdict = Watchdog::Verdict;

class WarmConverter final : public DocumentConverter {
 public:
  explicit WarmConverter(ConverterOptions options)
      : options_(options), fallback_(MakeCommandLineConverter(std::move(options))) {}

  // Starting LibreOffice and the conversion itself have a time limit each. A LibreOffice
  // that served before may have died since without its end being seen yet: when it breaks
  // off the conversion of its own accord, a fresh one is tried once.
  ConversionResult Convert(const std::string& input, const std::string& targetExtension,
                           const std::string& outputFolder) override {
    const PlannedConversion planned = PlanConversion(input, targetExtension, outputFolder);
    if (!planned.reason.empty()) return Failure(planned.reason);
    const bool reused = office_ != nullptr;
    brokeOff_ = false;
    ConversionResult result = ConvertOnce(planned, input, targetExtension, outputFolder);
    if (reused && brokeOff_) result = ConvertOnce(planned, input, targetExtension, outputFolder);
    return result;
  }

 private:
  ConversionResult ConvertOnce(const PlannedConversion& planned, const std::string& input,
                               const std::string& targetExtension,
                               const std::string& outputFolder) {
    if (office_ && HasExited(office_->pid)) office_.reset();  // crashed since the last one
    if (!cold_ && !office_) {
      const std::optional<Verdict> started = Start();
      if (started && started != Verdict::None) return Failed(*started, planned, "");
      cold_ = !started;
      if (cold_) office_.reset();
    }
    if (cold_) return fallback_->Convert(input, targetExtension, outputFolder);

    std::error_code ignored;
    fs::remove(planned.target, ignored);  // a stale file must not pass for this run's output
    std::optional<std::string> detail;    // empty when LibreOffice stopped half-way
    std::string stopped;
    Verdict verdict;
    {
      const Watchdog watchdog(office_->pid, options_.TimeLimit, options_.Interrupted);
      try {
        detail = Store(planned, targetExtension);
      } catch (const uno::Exception& e) {
        stopped = Utf8(e.Message);
      }
      verdict = watchdog.verdict();  // killed as it finished: the output does not count
    }
    if (!detail || verdict != Verdict::None) return Failed(verdict, planned, stopped);
    if (!detail->empty()) return Failure(NoOutputReason(targetExtension, *detail));
    return {true, planned.target.string(), ""};
  }

  // Starts soffice and connects to it within the time limit: None when it serves, the
  // watchdog's verdict when it was stopped, nothing when LibreOffice cannot be used this way
  // (a soffice that ends at once, a machine without the UNO runtime).
  std::optional<Verdict> Start() {
    const std::optional<fs::path> soffice = FindOnPath("soffice");
    if (!soffice) return std::nullopt;
    office_ = std::make_unique<Office>();
    if (!office_->work.ok()) return std::nullopt;
    if (const auto kept = ProfileTemplate()) {
      std::error_code ignored;
      fs::copy(*kept, office_->work.Profile(), fs::copy_options::recursive, ignored);
    }
    office_->pid = Spawn(
        *soffice,
        {"--headless", "--invisible", "--norestore", "--nologo", "--nolockcheck", "--nodefault",
         office_->work.ProfileArgument(), "--accept=pipe,name=" + office_->pipe + ";urp;"},
        office_->work);
    if (office_->pid == -1) return std::nullopt;
    const Watchdog watchdog(office_->pid, options_.TimeLimit, options_.Interrupted);
    try {
      rtl::Bootstrap::set("URE_BOOTSTRAP",
                          "vnd.sun.star.pathname:" KV_LIBREOFFICE_PROGRAM "/fundamentalrc");
      office_->local = cppu::defaultBootstrap_InitialComponentContext();
      const auto resolver = bridge::UnoUrlResolver::create(office_->local);
      const rtl::OUString url =
          Utf16("uno:pipe,name=" + office_->pipe + ";urp;StarOffice.ComponentContext");
      while (watchdog.verdict() == Verdict::None && !HasExited(office_->pid)) {
        try {
          Reference<uno::XComponentContext> remote(resolver->resolve(url), uno::UNO_QUERY_THROW);
          office_->desktop = frame::Desktop::create(remote);
          return Verdict::None;
        } catch (const connection::NoConnectException&) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
      }
    } catch (const uno::Exception&) {
    }
    if (watchdog.verdict() == Verdict::None) return std::nullopt;
    return watchdog.verdict();
  }

  // Loads the source hidden and stores it in the target format; gives what went wrong when
  // LibreOffice could not read or write the document, empty when it did.
  std::string Store(const PlannedConversion& planned, const std::string& targetExtension) {
    const beans::PropertyValue load[] = {Property("Hidden", uno::Any(true)),
                                         Property("ReadOnly", uno::Any(true))};
    Reference<lang::XComponent> document;
    try {
      document = office_->desktop->loadComponentFromURL(Utf16(FileUrl(planned.source)), "_blank", 0,
                                                        uno::Sequence(load, 2));
    } catch (const lang::IllegalArgumentException&) {
    } catch (const io::IOException&) {
    }
    if (!document.is()) return UnloadableDetail();
    const beans::PropertyValue store[] = {
        Property("FilterName", uno::Any(Utf16(ExportFilter(targetExtension)))),
        Property("Overwrite", uno::Any(true))};
    std::string detail;
    try {
      Reference<frame::XStorable>(document, uno::UNO_QUERY_THROW)
          ->storeToURL(Utf16(FileUrl(planned.target)), uno::Sequence(store, 2));
    } catch (const io::IOException& e) {
      detail = Utf8(e.Message);
    }
    Reference<util::XCloseable>(document, uno::UNO_QUERY_THROW)->close(true);
    return detail;
  }

  // A conversion that failed half-way: LibreOffice is ended (and started afresh by the next
  // conversion), and the failure says why.
  ConversionResult Failed(Verdict verdict, const PlannedConversion& planned,
                          const std::string& detail) {
    office_.reset();
    brokeOff_ = verdict == Verdict::None;
    std::error_code ignored;
    fs::remove(planned.target, ignored);
    if (verdict == Verdict::Interrupted) return Failure(InterruptedReason());
    if (verdict == Verdict::TimedOut) return Failure(TimedOutReason(options_.TimeLimit));
    return Failure("LibreOffice stopped during the conversion" +
                   (detail.empty() ? "" : ": " + detail));
  }

  ConverterOptions options_;
  std::unique_ptr<DocumentConverter> fallback_;
  bool cold_ = false;      // the warm way cannot work here: every conversion takes the fallback
  bool brokeOff_ = false;  // the last conversion was broken off by LibreOffice itself
  std::unique_ptr<Office> office_;
};

}  // namespace

std::unique_ptr<DocumentConverter> MakeWarmConverter(ConverterOptions options) {
  return std::make_unique<WarmConverter>(std::move(options));
}

}  // namespace kv::word
