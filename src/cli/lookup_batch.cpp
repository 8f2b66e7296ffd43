// Many lookups at once on the manager's one URL session. The tokens are
// fetched once before the lookups start, so no lookup repeats the home page.

#include "cli/lookup_batch.h"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/lookup_facts.h"
#include "cli/report.h"
#include "platform/dispatch/dispatch.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuietLimit = std::chrono::seconds(90);  // no lookup finished for this long: give up

struct Line {
  std::optional<LookupFacts> facts;
  std::string error;  // why the line is not facts
  bool blank = false;  // skipped, but counted in the line numbers
};

std::vector<Line> readLines(std::istream& in) {
  std::vector<Line> lines;
  std::string text;
  while (std::getline(in, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    Line line;
    line.blank = text.find_first_not_of(" \t") == std::string::npos;
    if (!line.blank) line.facts = factsFromJson(text, &line.error);
    lines.push_back(std::move(line));
  }
  return lines;
}

// Resident memory figures of this process from /proc, in kilobytes.
long procStatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  while (status >> name) {
    long kb = 0;
    if (name == field && status >> kb) return kb;
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

int threadsNamed(const std::string& name) {
  int count = 0;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    std::ifstream comm(task.path() / "comm");
    std::string got;
    std::getline(comm, got);
    count += got == name;
  }
  return count;
}

bool sameFile(int a, int b) {
  struct stat x {}, y {};
  return ::fstat(a, &x) == 0 && ::fstat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino &&
         x.st_rdev == y.st_rdev;
}

// Shared with its handlers, so that a handler that comes after the run gave
// up on its lookup still finds the batch.
class Batch : public std::enable_shared_from_this<Batch> {
 public:
  Batch(std::vector<Line> lines, const BatchOptions& options, bool noCertify, const TransferLog& transfers)
      : lines_(std::move(lines)),
        options_(options),
        noCertify_(noCertify),
        transfers_(transfers),
        results_(lines_.size()),
        handlerCalls_(lines_.size(), 0),
        done_(lines_.size(), false),
        progress_(isatty(STDERR_FILENO)),
        sharedTerminal_(progress_ && sameFile(STDOUT_FILENO, STDERR_FILENO)) {}

  int run() {
    start_ = Clock::now();
    const bool tokens = fetchTokensOnce();
    std::size_t next = 0;
    std::size_t inFlight = 0;
    auto lastFinish = Clock::now();
    while (printed_ < lines_.size()) {
      while (next < lines_.size() && inFlight < static_cast<std::size_t>(options_.concurrency)) {
        const std::size_t i = next++;
        if (lines_[i].blank) {
          std::lock_guard g(lock_);
          results_[i] = nlohmann::json();  // nothing to print
          done_[i] = true;
        } else if (!lines_[i].facts) {
          std::lock_guard g(lock_);
          results_[i] = nlohmann::json{{"line", i + 1}, {"error", lines_[i].error}};
          done_[i] = true;
          ++badLines_;
        } else if (!tokens) {
          finish(i, failedReport(tokensFailure_), false);
        } else {
          ++inFlight;
          startLookup(i);
        }
      }
      for (std::size_t i : takeFinished()) {
        --inFlight;
        tasks_.erase(i);
        lastFinish = Clock::now();
      }
      printReady();
      showProgress(false);
      if (printed_ == lines_.size()) break;
      if (inFlight > 0) {  // nothing more can start until a lookup finishes
        const bool woke = dispatch::MainRunLoop::runUntil([this] { return hasFinished(); },
                                                          std::chrono::milliseconds(progress_ ? 100 : 1000));
        if (!woke && Clock::now() - lastFinish > kQuietLimit) abandonInFlight();
      }
    }
    showProgress(true);
    if (options_.stats) printStats();
    std::cout.flush();
    // A failed lookup outranks a bad line: it is the status a script retries on.
    const std::string badLines = fmt::format("{} line{} not valid facts", badLines_, badLines_ == 1 ? " is" : "s are");
    if (failed_ > 0)
      return fail("lookup", kLookupFailed, fmt::format("{} lookup{} failed{}", failed_, failed_ == 1 ? "" : "s",
                                                       badLines_ ? "; " + badLines : ""));
    if (badLines_ > 0) return fail("lookup", kBadLines, badLines);
    return kDone;
  }

 private:
  // The handler may come after a time-out gave up on it (a cancelled task
  // still answers), so what it writes is shared, not on this stack.
  bool fetchTokensOnce() {
    if (CXEnhancedRatingsManager::hasValidSessionTokens()) return true;
    struct Answer {
      std::mutex lock;
      std::optional<bool> failed;
      LookupError error;
    };
    auto answer = std::make_shared<Answer>();
    auto task = CXEnhancedRatingsManager::homepageDataTaskWithCompletionHandler([answer, self = shared_from_this()](bool f) {
      LookupError error = f ? self->transfers_.failure() : LookupError{};
      std::lock_guard g(answer->lock);
      answer->failed = f;
      answer->error = std::move(error);
      dispatch::MainRunLoop::wakeUp();
    });
    if (!task) {
      tokensFailure_ = {"home", "no-request", "no home page request could be made"};
      return false;
    }
    task->resume();
    const bool answered = dispatch::MainRunLoop::runUntil(
        [&] {
          std::lock_guard g(answer->lock);
          return answer->failed.has_value();
        },
        kQuietLimit);
    if (!answered) {
      task->cancel();
      tokensFailure_ = {"home", "timed-out", "the ratings site's home page did not answer in time"};
      return false;
    }
    std::lock_guard g(answer->lock);
    if (*answer->failed) tokensFailure_ = answer->error;
    return !*answer->failed;
  }

  static LookupReport failedReport(LookupError error) {
    LookupReport report;
    report.outcome = "failed";
    report.reason = error.message;
    report.error = std::move(error);
    return report;
  }

  void startLookup(std::size_t i) {
    Ref<CXVideoDisplayPageModel> model = modelFrom(*lines_[i].facts);
    auto task = CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
        model, [self = shared_from_this(), i](CXEnhancedRating* rating, bool failed) {
          self->rated(i, Ref<CXEnhancedRating>(rating), failed);
        });
    if (!task) {
      finish(i, failedReport({"search", "no-request", "no search request could be made for this title"}), false);
      return;
    }
    tasks_[i] = task;
    task->resume();
  }

  // On the session's callback queue, right after the transfer it answers was
  // logged there: the log's last record is this lookup's.
  void rated(std::size_t i, Ref<CXEnhancedRating> rating, bool failed) {
    countHandlerCall(i);
    LookupReport report;
    if (failed) {
      finish(i, failedReport(transfers_.failure()), true);
      return;
    }
    report.rating = rating;
    report.outcome = rating ? "rating" : "none";
    if (!rating || noCertify_ || !qualifiesForCertifiedLookup(rating.get())) {
      finish(i, report, true);
      return;
    }
    report.certifiedAsked = true;
    auto shared = std::make_shared<LookupReport>(std::move(report));
    auto certified = CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(
        rating->emsId(), [self = shared_from_this(), i, shared](bool isCertified, bool certifiedFailed) {
          CXEnhancedRating* r = shared->rating.get();
          if (!certifiedFailed) {
            r->setIsValidated(true);
            r->setIsCertified(isCertified);
            shared->certified = isCertified;
          } else {
            shared->certifiedFailed = true;
            shared->error = self->transfers_.failure();
          }
          self->finish(i, *shared, true);
        });
    if (!certified) {
      shared->certifiedFailed = true;
      shared->error = LookupError{"certified", "no-request", "no certified-status request could be made"};
      finish(i, *shared, true);
      return;
    }
    certified->resume();  // the session keeps a running task
  }

  void countHandlerCall(std::size_t i) {
    std::lock_guard g(lock_);
    ++handlerCalls_[i];
  }

  // Any thread. The result is made here so that the main thread only prints.
  void finish(std::size_t i, const LookupReport& report, bool started) {
    nlohmann::json j = report.json();
    j["line"] = i + 1;
    std::lock_guard g(lock_);
    if (done_[i]) return;
    done_[i] = true;
    results_[i] = std::move(j);
    if (report.outcome == "failed") ++failed_;
    if (started) finished_.push_back(i);
    dispatch::MainRunLoop::wakeUp();
  }

  bool hasFinished() {
    std::lock_guard g(lock_);
    return !finished_.empty();
  }

  std::vector<std::size_t> takeFinished() {
    std::lock_guard g(lock_);
    std::vector<std::size_t> out(finished_.begin(), finished_.end());
    finished_.clear();
    return out;
  }

  void abandonInFlight() {
    for (auto& [i, task] : tasks_) {
      task->cancel();
      finish(i, failedReport({"search", "timed-out", "the services did not answer in time"}), true);
    }
  }

  void printReady() {
    std::lock_guard g(lock_);
    bool any = false;
    while (printed_ < results_.size() && results_[printed_]) {
      if (!results_[printed_]->is_null()) {
        clearProgress();
        std::cout << results_[printed_]->dump() << "\n";
      }
      results_[printed_].reset();  // printed: keep memory flat however long the file
      ++printed_;
      any = true;
    }
    if (any) std::cout.flush();
  }

  // When results and the bar share a terminal, a result line starts on a cleared line.
  void clearProgress() {
    if (!barShown_ || !sharedTerminal_) return;
    std::cerr << "\r\033[K" << std::flush;
    barShown_ = false;
  }

  void showProgress(bool last) {
    if (!progress_) return;
    const auto now = Clock::now();
    if (!last && now - lastProgress_ < std::chrono::milliseconds(100)) return;
    lastProgress_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(printed_) / seconds : 0;
    // No estimate from a rate of nothing: wait for the first results.
    const std::string left = printed_ == 0 || rate <= 0 ? std::string("estimating")
                             : fmt::format("{:.0f}s left", static_cast<double>(lines_.size() - printed_) / rate);
    const double percent = lines_.empty() ? 100.0 : 100.0 * static_cast<double>(printed_) / lines_.size();
    std::size_t failed = 0;
    {
      std::lock_guard g(lock_);
      failed = failed_ + badLines_;
    }
    std::cerr << fmt::format("\r{} {}/{} done, {} failed, {:.0f}/s, {} ", meterBar(percent, 30), printed_,
                             lines_.size(), failed, rate, last ? "done" : left)
              << (last ? "\n" : "") << std::flush;
    barShown_ = !last;
  }

  void printStats() {
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    std::size_t once = 0, more = 0;
    {
      std::lock_guard g(lock_);
      for (int calls : handlerCalls_) (calls == 1 ? once : more) += calls >= 1;
    }
    std::cerr << fmt::format(
        "batch: {} lines, {} bad, {} failed; handlers called once: {}, more than once: {}; "
        "{:.3f} s, {:.0f} lookups/s; transport threads: {}; peak resident memory: {:.1f} MB\n",
        lines_.size(), badLines_, failed_, once, more, seconds, static_cast<double>(lines_.size()) / seconds,
        threadsNamed("url-transport"), static_cast<double>(procStatusKb("VmHWM:")) / 1024.0);
  }

  std::vector<Line> lines_;
  const BatchOptions options_;
  bool noCertify_;
  const TransferLog& transfers_;
  LookupError tokensFailure_{"home", "no-tokens", "the ratings site's home page carried no usable search tokens"};
  Clock::time_point start_;
  Clock::time_point lastProgress_;
  std::map<std::size_t, Ref<NSURLSessionDataTask>> tasks_;  // in flight, to cancel; main thread only

  std::mutex lock_;  // guards what follows
  std::vector<std::optional<nlohmann::json>> results_;
  std::vector<int> handlerCalls_;
  std::vector<bool> done_;  // a result exists (a cancelled lookup's late handler is ignored)
  std::deque<std::size_t> finished_;
  std::size_t failed_ = 0;
  std::size_t badLines_ = 0;
  std::size_t printed_ = 0;
  bool progress_;
  bool sharedTerminal_;
  bool barShown_ = false;
};

}  // namespace

CLI::Option* addBatchOptions(CLI::App* cmd, BatchOptions& o) {
  auto* batch = cmd->add_option("--batch", o.file, "Look up every title in FILE (\"-\": standard input), one JSON "
                                                   "object of facts per line; prints one JSON result per line");
  cmd->add_option("--concurrency", o.concurrency, "Lookups in flight at once with --batch")
      ->check(CLI::Range(1, 256))
      ->needs(batch);
  cmd->add_flag("--stats", o.stats, "With --batch, print the run's figures on standard error")->needs(batch);
  return batch;
}

int runBatchLookup(const BatchOptions& options, bool noCertify, const ServiceOptions& services) {
  std::vector<Line> lines;
  if (options.file == "-") {
    lines = readLines(std::cin);
  } else {
    if (std::string why = unreadableFile(options.file); !why.empty()) return fail("lookup", kFileError, why);
    std::ifstream in(options.file);
    lines = readLines(in);
    if (in.bad()) return fail("lookup", kFileError, fmt::format("cannot read {}: {}", options.file, std::strerror(errno)));
  }
  StartFailure failure;
  auto env = ServiceEnvironment::start(services, &failure);
  if (!env) return fail("lookup", failure.status, failure.reason);
  // The batch may end on the session's queue (its last handler lets it go), so
  // the log it reads lives for the process, installed once from this thread.
  static const TransferLog* const transfers = new TransferLog(/*keepAll=*/false);
  return std::make_shared<Batch>(std::move(lines), options, noCertify, *transfers)->run();
}

}  // namespace cli
