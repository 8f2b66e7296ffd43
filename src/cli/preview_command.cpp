// scorelens preview: the rating strip as the module draws it for a rating and
// a set of preferences, without a host. The rating is put into the module's
// cache, so the strip takes its cached path and asks for nothing but, for a
// well-rated film not yet confirmed, the certified status.

#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/defaults_file.h"
#include "cli/picture_output.h"
#include "cli/service_setup.h"
#include "cli/strip_report.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSValue.h"
#include "platform/uikit/UIFont.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace cli {
namespace {

constexpr CGFloat kStripWidth = 375;
constexpr CGFloat kLabelPointSize = 14;  // what the page hooks give the strip's labels
constexpr const char* kHostTypeface = "NetflixSansApp-Regular";
constexpr long kPreviewVideoId = 1;
constexpr auto kNetworkPatience = std::chrono::seconds(90);
// Animations are stepped on a manual clock, so the preview never waits for them.
constexpr auto kAnimationStep = std::chrono::milliseconds(10);

struct PreviewOptions {
  std::string criticText = "none", audienceText = "none";  // as given
  std::optional<double> critic;
  std::optional<double> audience;
  bool movie = false;
  bool series = false;
  bool certified = false;
  bool validated = false;
  std::string emsId;
  std::string criticPercentage = "on", criticMeter = "on", audiencePercentage = "on", audienceMeter = "on";
  bool json = false;
  PictureOptions picture;
  ServiceOptions services;
};

// A score as given: "none", or a finite percentage from 0 to 100.
std::optional<double> scoreOf(const std::string& text) {
  if (text == "none") return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || value < 0 || value > 100)
    return std::nullopt;
  return value;
}

CLI::Validator scoreCheck() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return text == "none" || scoreOf(text) ? "" : "\"" + text + "\" is not a percentage from 0 to 100 or none";
      },
      "PERCENT|none");
}

Ref<CXEnhancedRating> ratingFrom(const PreviewOptions& o) {
  Ref<CXEnhancedRating> r = make<CXEnhancedRating>();
  r->setIsMovie(!o.series);
  if (o.critic) {
    r->setHasCriticRating(true);
    r->setCriticRating(*o.critic);
  }
  if (o.audience) {
    r->setHasAudienceRating(true);
    r->setAudienceRating(*o.audience);
  }
  if (!o.emsId.empty()) r->setEmsId(NSString::stringWithUTF8String(o.emsId));
  r->setIsCertified(o.certified);
  r->setIsValidated(o.validated);
  return r;
}

Ref<CXEnhancedRatingViewContainer> makeStrip() {
  Ref<CXEnhancedRatingViewContainer> strip = make<CXEnhancedRatingViewContainer>();
  strip->setFrame(CGRectMake(0, 0, kStripWidth, CXEnhancedRatingViewContainer::appropriateHeight()));
  for (UILabel* label : {strip->messageLabel(), strip->firstRatingPercentageLabel(), strip->secondRatingPercentageLabel()}) {
    label->setFont(CXPrefsManager::netflixFontOfSize(kLabelPointSize));
    label->setTextColor(CXPrefsManager::enhancedRatingLabelColor());
  }
  return strip;
}

// Runs the main queue until the strip is settled: every animation ended and,
// when the strip asked for the certified status, the answer shown. False when
// the services did not answer in time.
bool runUntilSettled(CXEnhancedRatingViewContainer* strip) {
  auto deadline = std::chrono::steady_clock::now() + kNetworkPatience;
  dispatch_queue_t callbacks = CXEnhancedRatingsManager::sharedInstance()->enhancedRatingSession()->callbackQueue();
  bool answerFlushed = false;
  while (std::chrono::steady_clock::now() < deadline) {
    if (dispatch::MainRunLoop::runOnce() > 0) continue;
    if (UIView::hasRunningAnimations()) {
      dispatch::Clock::advance(kAnimationStep);
      continue;
    }
    Ref<NSURLSessionDataTask> task = strip->certifiedDataTask();
    if (!task) return true;
    if (task->state() != NSURLSessionTaskStateCompleted) {
      dispatch::MainRunLoop::runUntil([&] { return task->state() == NSURLSessionTaskStateCompleted; },
                                      std::chrono::milliseconds(100));
      continue;
    }
    if (answerFlushed) return true;
    // The task completes just before its handler runs on the session's queue;
    // once that queue is drained, what the handler posted is on the main queue.
    dispatch_sync(callbacks, [] {});
    answerFlushed = true;
  }
  return false;
}

int runPreview(const PreviewOptions& o) {
  // The user's real defaults are never touched: the preview's preferences
  // live in a scratch file of their own.
  DefaultsFile defaults("", "preview");
  if (std::string why = defaults.open(); !why.empty()) return fail("preview", kFileError, why);
  StartFailure failure;
  auto env = ServiceEnvironment::start(o.services, &failure);
  if (!env) return fail("preview", failure.status, failure.reason);
  std::string error;
  CXPrefsManager::registerDefaults();
  CXPrefsManager::setCriticRatingPercentageEnabled(o.criticPercentage == "on");
  CXPrefsManager::setCriticRatingMeterEnabled(o.criticMeter == "on");
  CXPrefsManager::setAudienceRatingPercentageEnabled(o.audiencePercentage == "on");
  CXPrefsManager::setAudienceRatingMeterEnabled(o.audienceMeter == "on");
  // The host carries its typeface; so does this stand-in of it.
  UIFont::registerFontName(kHostTypeface);

  dispatch::ScopedManualClock manualClock;
  Ref<NSNumber> videoId = box(kPreviewVideoId);
  CXEnhancedRatingsManager::sharedInstance()->addEnhancedRating_withVideoId(ratingFrom(o), videoId);
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setVideoId(videoId);

  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(model);
  bool settled = runUntilSettled(strip);
  strip->layoutIfNeeded();

  // On the black of the host's title page, where the strip is shown.
  if (o.picture.wanted() && !writePicture(strip, o.picture, UIColor::blackColor(), &error))
    return fail("preview", kFileError, error);
  if (o.json) {
    nlohmann::json out = stripJson(strip);
    notePicture(out, o.picture);
    std::cout << out.dump() << "\n";
  } else {
    std::cout << stripText(strip);
    if (o.picture.wanted()) std::cout << fmt::format("Picture: {} (scale {})\n", o.picture.png, o.picture.scale);
  }
  // The strip was drawn; the certified status only stays unconfirmed.
  if (!settled) warn("preview", "the certified-status service did not answer in time");
  return kDone;
}

}  // namespace

void addPreviewCommand(CLI::App& app, Runner& run) {
  auto o = std::make_shared<PreviewOptions>();
  auto* cmd = app.add_subcommand("preview", "Draw the rating strip for a rating and a set of preferences");
  cmd->add_option("--critic", o->criticText, "Critic score in percent, 0 to 100 (none: no critic score)")
      ->check(scoreCheck());
  cmd->add_option("--audience", o->audienceText, "Audience score in percent, 0 to 100 (none: no audience score)")
      ->check(scoreCheck());
  auto* kind = cmd->add_option_group("kind", "Film (the default) or series");
  kind->add_flag("--movie", o->movie, "The title is a film");
  kind->add_flag("--series", o->series, "The title is a series");
  kind->require_option(0, 1);
  cmd->add_flag("--certified", o->certified, "The title is certified");
  cmd->add_flag("--validated", o->validated, "The certified status is already confirmed");
  cmd->add_option("--ems-id", o->emsId, "The ratings service's identifier (needed for the certified lookup)");
  const auto onOff = CLI::IsMember({"on", "off"});
  cmd->add_option("--critic-percentage", o->criticPercentage, "Show the critic percentage")->check(onOff)->capture_default_str();
  cmd->add_option("--critic-meter", o->criticMeter, "Show the critic meter")->check(onOff)->capture_default_str();
  cmd->add_option("--audience-percentage", o->audiencePercentage, "Show the audience percentage")
      ->check(onOff)
      ->capture_default_str();
  cmd->add_option("--audience-meter", o->audienceMeter, "Show the audience meter")->check(onOff)->capture_default_str();
  cmd->add_flag("--json", o->json, "Print one JSON object");
  addPictureOptions(cmd, o->picture);
  addServiceOptions(cmd, o->services, false);
  cmd->callback([&run, o] {
    o->critic = scoreOf(o->criticText);
    o->audience = scoreOf(o->audienceText);
    run = [o] { return runPreview(*o); };
  });
}

}  // namespace cli
