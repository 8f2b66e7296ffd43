// scorelens lookup: one title's rating from its facts, for people and scripts.

#include <fmt/format.h>

#include <chrono>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/lookup_batch.h"
#include "cli/lookup_facts.h"
#include "cli/report.h"
#include "cli/service_setup.h"
#include "platform/dispatch/dispatch.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"

namespace cli {
namespace {

struct LookupOptions : LookupFacts {
  bool noCertify = false;
  bool json = false;
  ServiceOptions services;
  BatchOptions batch;
};

// Waits on the main run loop for a handler that runs on the session's queue.
template <class T>
struct Awaited {
  std::mutex lock;
  std::optional<T> value;
  void set(T v) {
    std::lock_guard g(lock);
    value = std::move(v);
    dispatch::MainRunLoop::wakeUp();
  }
  bool wait(std::chrono::seconds limit) {
    return dispatch::MainRunLoop::runUntil(
        [&] {
          std::lock_guard g(lock);
          return value.has_value();
        },
        limit);
  }
};

int runLookup(const LookupOptions& o) {
  if (!NSString::stringWithUTF8String(o.title)) return fail("lookup", kBadUsage, "the title is not valid UTF-8");
  StartFailure failure;
  auto env = ServiceEnvironment::start(o.services, &failure);
  if (!env) return fail("lookup", failure.status, failure.reason);
  TransferLog transfers;
  LookupReport report;
  Ref<CXVideoDisplayPageModel> model = modelFrom(o);

  struct Outcome {
    Ref<CXEnhancedRating> rating;
    bool failed;
  };
  Awaited<Outcome> lookup;
  auto task = CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
      model, [&lookup](CXEnhancedRating* rating, bool failed) { lookup.set({Ref<CXEnhancedRating>(rating), failed}); });
  if (!task) {
    report.outcome = "failed";
    report.reason = "no search request could be made for this title";
    report.error = LookupError{"search", "no-request", report.reason};
  } else {
    task->resume();
    if (!lookup.wait(std::chrono::seconds(90))) {
      task->cancel();
      report.outcome = "failed";
      report.reason = "the services did not answer in time";
      report.error = LookupError{"search", "timed-out", report.reason};
    } else if (lookup.value->failed) {
      report.outcome = "failed";
      report.error = transfers.failure();
      report.reason = report.error->message;
    } else {
      report.rating = lookup.value->rating;
      report.outcome = report.rating ? "rating" : "none";
    }
  }

  CXEnhancedRating* r = report.rating.get();
  if (r && !o.noCertify && qualifiesForCertifiedLookup(r)) {
    report.certifiedAsked = true;
    struct Answer {
      bool certified, failed;
    };
    Awaited<Answer> answer;
    auto certified = CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(
        r->emsId(), [&answer](bool c, bool f) { answer.set({c, f}); });
    if (certified) {
      certified->resume();
      if (!answer.wait(std::chrono::seconds(90))) certified->cancel();
    }
    if (answer.value && !answer.value->failed) {
      r->setIsValidated(true);
      r->setIsCertified(answer.value->certified);
      report.certified = answer.value->certified;
    } else {
      report.certifiedFailed = true;
      report.error = transfers.failure();
    }
  }

  if (o.json)
    std::cout << report.json().dump() << "\n";
  else
    std::cout << report.text(o.title, o.movie);
  std::cout.flush();
  // A failed certified request leaves the rating unconfirmed, not missing.
  if (report.outcome == "failed") return fail("lookup", kLookupFailed, report.error->line());
  if (report.error) warn("lookup", report.error->line());
  return kDone;
}

}  // namespace

void addLookupCommand(CLI::App& app, Runner& run) {
  auto o = std::make_shared<LookupOptions>();
  auto* cmd = app.add_subcommand("lookup", "Look up one title's critic and audience scores from its facts");
  auto* title = cmd->add_option("--title", o->title, "The title as the page shows it")->check(nonEmpty());
  auto* kind = cmd->add_option_group("kind", "Film or series");
  kind->add_flag("--movie", o->movie, "The title is a film");
  kind->add_flag("--series", o->series, "The title is a series");
  kind->require_option(0, 1);
  // The facts a batch line gives itself, refused alike beside --batch.
  std::vector<CLI::Option*> lineFacts = {
      cmd->add_option("--year", o->year, "Release year"),
      cmd->add_option("--runtime", o->runtimeSeconds, "Running time in seconds")->check(CLI::NonNegativeNumber),
      cmd->add_option("--seasons", o->seasons, "Number of seasons")->check(CLI::PositiveNumber),
      cmd->add_option("--actor", o->actors, "A cast member (repeatable)"),
      cmd->add_option("--writer", o->writers, "A writer (repeatable)"),
      cmd->add_option("--director", o->directors, "A director (repeatable)"),
      cmd->add_option("--creator", o->creators, "A creator (repeatable)")};
  cmd->add_flag("--no-certify", o->noCertify, "Do not ask the certified-status service");
  cmd->add_flag("--json", o->json, "Print one JSON object");
  addServiceOptions(cmd, o->services, false);
  auto* batch = addBatchOptions(cmd, o->batch);
  batch->excludes(title);
  cmd->callback([&run, o, batch, title, kind, lineFacts] {
    if (batch->count()) {
      if (kind->count_all() > 0) throw CLI::ValidationError("--batch", "each line gives its own kind (--movie or --series)");
      for (const CLI::Option* fact : lineFacts)
        if (fact->count() > 0) throw CLI::ValidationError("--batch", "each line gives its own " + fact->get_name());
      run = [o] { return runBatchLookup(o->batch, o->noCertify, o->services); };
      return;
    }
    if (title->count() == 0) throw CLI::RequiredError("--title");
    if (kind->count_all() == 0) throw CLI::RequiredError("--movie or --series");
    run = [o] { return runLookup(*o); };
  });
}

}  // namespace cli
