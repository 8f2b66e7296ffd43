// The strip from blank to scores or a message: cached and looked-up ratings,
// the fade-in, the certified lookup, messages, the tap and destruction.

#include "strip_fixture.h"

#include <atomic>
#include <memory>

using namespace strip_test;
using services::Endpoint;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

bool visible(const UIView* view) { return view->alpha() > 0 && !view->isHidden(); }

// Where an object died: told by a companion that dies with it (an
// associated object is released by its owner's destruction).
enum class Death { Alive, OnMainThread, Elsewhere };
class DeathWatch : public NSObject {
 public:
  explicit DeathWatch(std::shared_ptr<std::atomic<Death>> death) : death_(std::move(death)) {}
  ~DeathWatch() override { *death_ = dispatch::isMainThread() ? Death::OnMainThread : Death::Elsewhere; }

 private:
  std::shared_ptr<std::atomic<Death>> death_;
};

std::shared_ptr<std::atomic<Death>> watchDeath(id object) {
  static const char key = 0;
  auto death = std::make_shared<std::atomic<Death>>(Death::Alive);
  auto* watch = new DeathWatch(death);
  watch->isa = objc::classOf<NSObject>();
  objc_setAssociatedObject(object, &key, Ref<DeathWatch>::adopt(watch).get(), OBJC_ASSOCIATION_RETAIN);
  return death;
}

using StripUpdate = StripTest;

// The view shows the very image the module's accessor hands out (one object
// per name), and that image has the expected name.
void expectIcon(const UIImageView* view, const Ref<UIImage>& expected, const std::string& name) {
  EXPECT_EQ(view->image(), expected.get()) << "expected the " << name << " icon";
  EXPECT_EQ(iconName(view), name);
}

}  // namespace

TEST_F(StripUpdate, ACachedSeriesFadesInBothRowsWithoutSpinnerOrRequest) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  Ref<CXVideoDisplayPageModel> model = cached(rating({.movie = false, .critic = 87, .audience = 55}));
  strip->updateContainerWithDisplayPageModel(model);
  EXPECT_FALSE(strip->loadingIndicatorView()->isAnimating()) << "a cached title never shows the spinner";
  EXPECT_EQ(strip->ratingDataTask(), nullptr);

  dispatch::MainRunLoop::runOnce();
  expectIcon(strip->firstRatingImageView(), CXPrefsManager::criticRatingImageForRating_hasRating_isCertified(87, true, false),
             "tomato");
  expectIcon(strip->secondRatingImageView(), CXPrefsManager::audienceRatingImageForRating_hasRating(55, true), "puke");
  EXPECT_EQ(utf8(strip->firstRatingPercentageLabel()->text()), "87%");
  EXPECT_EQ(utf8(strip->secondRatingPercentageLabel()->text()), "55%");
  for (UIView* v : std::initializer_list<UIView*>{strip->firstRatingImageView(), strip->secondRatingImageView(),
                                                  strip->firstRatingPercentageLabel(), strip->secondRatingPercentageLabel(),
                                                  strip->firstRatingMeterProgressView(), strip->secondRatingMeterProgressView()}) {
    EXPECT_EQ(v->alpha(), 1);
    EXPECT_LT(v->presentationAlpha(), 1) << "still fading in";
  }
  EXPECT_EQ(strip->firstRatingMeterProgressView()->progress(), 0) << "meters fill once the fade has ended";

  finishFadeIn();
  EXPECT_EQ(strip->firstRatingImageView()->presentationAlpha(), 1);
  EXPECT_FLOAT_EQ(strip->firstRatingMeterProgressView()->progress(), 0.87f);
  EXPECT_FLOAT_EQ(strip->secondRatingMeterProgressView()->progress(), 0.55f);
  EXPECT_EQ(strip->certifiedDataTask(), nullptr) << "a series is never asked about";
  settle();
  EXPECT_EQ(server().log().size(), 0u) << "a cached title makes no request at all";
}

TEST_F(StripUpdate, AMissingAudienceScoreShowsItsBlankIconAndDashesWithoutAMeter) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(cached(rating({.critic = 60})));
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  expectIcon(strip->secondRatingImageView(), CXPrefsManager::audienceRatingImageForRating_hasRating(0, false), "smile_bw");
  EXPECT_EQ(utf8(strip->secondRatingPercentageLabel()->text()), "--");
  EXPECT_TRUE(visible(strip->secondRatingPercentageLabel()));
  EXPECT_FALSE(visible(strip->secondRatingMeterProgressView())) << "no score, no meter";
  EXPECT_EQ(strip->secondRatingMeterProgressView()->progress(), 0);
  EXPECT_EQ(strip->secondRatingMeterProgressView()->trackTintColor(), nullptr);
}

TEST_F(StripUpdate, EachScoreColoursAndFillsOnlyItsOwnRowsMeter) {
  setPreferences(true, false, true, true);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(cached(rating({.critic = 87, .audience = 55})));
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  UIProgressView* row1 = strip->firstRatingMeterProgressView();
  UIProgressView* row2 = strip->secondRatingMeterProgressView();
  EXPECT_TRUE(UIColorEqual(row2->trackTintColor(), CXPrefsManager::enhancedRatingMeterTrackColor()));
  EXPECT_TRUE(UIColorEqual(row2->progressTintColor(), CXPrefsManager::enhancedRatingMeterProgressColor()));
  EXPECT_FLOAT_EQ(row2->progress(), 0.55f);
  EXPECT_TRUE(visible(row2));
  EXPECT_EQ(row1->trackTintColor(), nullptr) << "the critic meter is off";
  EXPECT_EQ(row1->progress(), 0);
  EXPECT_FALSE(visible(row1));
  EXPECT_TRUE(visible(strip->firstRatingPercentageLabel()));
}

TEST_F(StripUpdate, OneRowShowsTheEnabledScoreInRowOne) {
  setPreferences(false, false, true, true);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(cached(rating({.critic = 87, .audience = 55})));
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  expectIcon(strip->firstRatingImageView(), CXPrefsManager::audienceRatingImageForRating_hasRating(55, true), "puke");
  EXPECT_EQ(utf8(strip->firstRatingPercentageLabel()->text()), "55%");
  EXPECT_FLOAT_EQ(strip->firstRatingMeterProgressView()->progress(), 0.55f);
  EXPECT_FALSE(visible(strip->secondRatingImageView()));
  EXPECT_FALSE(visible(strip->secondRatingPercentageLabel()));
}

TEST_F(StripUpdate, OnlyAnUnconfirmedFilmOfSeventyFiveOrMoreIsAskedAboutCertification) {
  struct Case {
    const char* name;
    Record record;
    bool asked;
  };
  const Case cases[] = {
      {"film at 75.0", {.movie = true, .critic = 75.0, .emsId = kCertifiedEmsId}, true},
      {"film at 74.9", {.movie = true, .critic = 74.9, .emsId = kCertifiedEmsId}, false},
      {"series at 95", {.movie = false, .critic = 95, .emsId = kCertifiedEmsId}, false},
      {"film already confirmed", {.movie = true, .critic = 90, .emsId = kCertifiedEmsId, .validated = true}, false},
      {"film without identifier", {.movie = true, .critic = 90, .emsId = ""}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server().log().clear();
    Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
    strip->updateContainerWithDisplayPageModel(cached(rating(c.record)));
    dispatch::MainRunLoop::runOnce();
    finishFadeIn();
    EXPECT_EQ(strip->certifiedDataTask() != nullptr, c.asked);
    if (c.asked) {
      EXPECT_TRUE(server().log().waitForCount(Endpoint::Certified, 1, std::chrono::steady_clock::now() + kPatience));
    }
    settle();
    EXPECT_EQ(server().log().count(Endpoint::Certified), c.asked ? 1u : 0u);
  }
}

TEST_F(StripUpdate, ACertifiedAnswerDissolvesRowOneToTheCertifiedIconAndIsCached) {
  Ref<CXEnhancedRating> record = rating({.movie = true, .critic = 76, .audience = 92, .emsId = kCertifiedEmsId});
  Ref<CXVideoDisplayPageModel> model = cached(record);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(model);
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  Ref<UIImage> before = strip->firstRatingImageView()->image();
  ASSERT_TRUE(runUntil([&] { return record->isValidated(); })) << "the certified answer never arrived";

  Ref<CXEnhancedRating> inCache = CXEnhancedRatingsManager::sharedInstance()->enhancedRatingForVideoId(model->videoId());
  EXPECT_EQ(inCache, record);
  EXPECT_TRUE(inCache->isValidated() && inCache->isCertified()) << "a later page finds the title confirmed";
  UIImageView* icon = strip->firstRatingImageView();
  expectIcon(icon, CXPrefsManager::criticRatingImageForRating_hasRating_isCertified(76, true, true), "shooting_star");
  EXPECT_EQ(icon->presentationImage(), before) << "the old icon shows as the dissolve begins";
  advance(0.5);
  EXPECT_NEAR(icon->imageTransitionFraction(), 0.5, 1e-6);
  advance(0.5);
  EXPECT_EQ(icon->presentationImage().get(), icon->image()) << "within one second the certified icon shows";
}

TEST_F(StripUpdate, ALookupTurnsTheSpinnerThenShowsTheRatingAndATapOpensItsPage) {
  auto gate = holdSearches();
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  Ref<CXVideoDisplayPageModel> model = heat();
  strip->updateContainerWithDisplayPageModel(model);
  EXPECT_TRUE(strip->loadingIndicatorView()->isAnimating());
  EXPECT_TRUE(visible(strip->loadingIndicatorView()));
  Ref<NSURLSessionDataTask> first = strip->ratingDataTask();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(gate->waitForArrivals(1, std::chrono::steady_clock::now() + kPatience)) << "the search never arrived";

  strip->updateContainerWithDisplayPageModel(model);
  EXPECT_EQ(strip->ratingDataTask(), first) << "a second update while the lookup runs starts nothing";
  gate->release();
  ASSERT_TRUE(runUntil([&] { return strip->ratingURL() != nullptr; })) << "the rating never arrived";
  EXPECT_FALSE(strip->loadingIndicatorView()->isAnimating());
  EXPECT_EQ(server().log().count(Endpoint::Search), 1u) << "one request for two updates";
  EXPECT_NE(CXEnhancedRatingsManager::sharedInstance()->enhancedRatingForVideoId(model->videoId()), nullptr)
      << "the rating is cached";
  EXPECT_EQ(utf8(strip->firstRatingPercentageLabel()->text()), "83%");
  EXPECT_EQ(utf8(strip->secondRatingPercentageLabel()->text()), "94%");
  expectIcon(strip->firstRatingImageView(), CXPrefsManager::criticRatingImageForRating_hasRating_isCertified(83, true, true),
             "shooting_star");

  ASSERT_EQ(strip->gestureRecognizerList().size(), 1u);
  EXPECT_TRUE(strip->gestureRecognizerList()[0]->simulateTap());
  const auto& opened = UIApplication::sharedApplication()->openedURLs();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(utf8(opened[0]->absoluteString()), "https://www.rottentomatoes.com/m/heat");

  strip->updateContainerWithDisplayPageModel(model);
  settle();
  EXPECT_EQ(server().log().count(Endpoint::Search), 1u) << "once cached, an update asks nobody";
  EXPECT_EQ(strip->gestureRecognizerList().size(), 2u) << "each showing adds a recogniser; earlier ones stay";
}

TEST_F(StripUpdate, AFailedLookupShowsTheErrorNamingTheProduct) {
  services::Misbehaviour reset;
  reset.fault = services::Fault::ResetMidBody;
  server().setMisbehaviour(Endpoint::Search, reset);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  Ref<CXVideoDisplayPageModel> model = heat();
  strip->updateContainerWithDisplayPageModel(model);
  ASSERT_TRUE(runUntil([&] { return strip->messageLabel()->text() != nullptr; })) << "no message";
  EXPECT_EQ(utf8(strip->messageLabel()->text()),
            "An error occurred retrieving the enhanced rating; please try again later. If the problem persists, please "
            "contact the developer of ScoreLens for assistance.");
  expectIcon(strip->messageImageView(), CXPrefsManager::errorImage(), "x");
  EXPECT_TRUE(visible(strip->messageLabel()) && visible(strip->messageImageView()));
  EXPECT_FALSE(strip->loadingIndicatorView()->isAnimating());
  EXPECT_FALSE(visible(strip->firstRatingImageView()));
  EXPECT_EQ(CXEnhancedRatingsManager::sharedInstance()->enhancedRatingForVideoId(model->videoId()), nullptr)
      << "a failure is not cached";

  server().clearMisbehaviours();
  strip->updateContainerWithDisplayPageModel(model);
  EXPECT_TRUE(strip->loadingIndicatorView()->isAnimating()) << "a later update looks the title up again";
  ASSERT_TRUE(runUntil([&] { return strip->ratingURL() != nullptr; }));
  EXPECT_EQ(utf8(strip->messageLabel()->text()).substr(0, 8), "An error") << "a rating never clears the message text";
}

TEST_F(StripUpdate, ATitleTheSiteDoesNotKnowShowsTheNoRatingMessage) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  Ref<CXVideoDisplayPageModel> model = heat();
  model->setTitle(ns("A Film Nobody Ever Made"));
  strip->updateContainerWithDisplayPageModel(model);
  ASSERT_TRUE(runUntil([&] { return strip->messageLabel()->text() != nullptr; }));
  EXPECT_EQ(utf8(strip->messageLabel()->text()), "No enhanced rating could be found.");
  expectIcon(strip->messageImageView(), CXPrefsManager::noRatingAvailableImage(), "question_mark");
  EXPECT_EQ(strip->ratingURL(), nullptr);
}

TEST_F(StripUpdate, ATapBeforeAnyRatingOpensNothing) {
  auto gate = holdSearches();
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(heat());
  ASSERT_TRUE(gate->waitForArrivals(1, std::chrono::steady_clock::now() + kPatience));
  strip->ratingViewTapped(nullptr);
  objc_msgSend(strip.get(), "ratingViewTapped:", nullptr);
  EXPECT_TRUE(UIApplication::sharedApplication()->openedURLs().empty());
  EXPECT_TRUE(strip->gestureRecognizerList().empty()) << "nothing to tap until a rating arrives";
}

TEST_F(StripUpdate, NoNetworkLeavesTheStripBlank) {
  setNetworkStatus(3);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(heat());
  settle();
  EXPECT_EQ(strip->ratingDataTask(), nullptr);
  EXPECT_FALSE(strip->loadingIndicatorView()->isAnimating());
  EXPECT_EQ(strip->messageLabel()->text(), nullptr);
  EXPECT_EQ(server().log().size(), 0u);

  setNetworkStatus(1);
  strip->updateContainerWithDisplayPageModel(heat());
  EXPECT_NE(strip->ratingDataTask(), nullptr) << "any other status lets the lookup start";
  EXPECT_TRUE(runUntil([&] { return strip->ratingURL() != nullptr; }));
}

TEST_F(StripUpdate, NoNetworkStillShowsACachedTitle) {
  setNetworkStatus(3);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(cached(rating({.critic = 87, .audience = 55})));
  dispatch::MainRunLoop::runOnce();
  EXPECT_EQ(utf8(strip->firstRatingPercentageLabel()->text()), "87%");
}

// Regression: a lookup with no task to run used to leave the spinner turning for good.
TEST_F(StripUpdate, ALookupThatCannotStartShowsNoSpinner) {
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  strip->updateContainerWithDisplayPageModel(freshModel());  // no title: no search can be built
  EXPECT_EQ(strip->ratingDataTask(), nullptr);
  EXPECT_FALSE(strip->loadingIndicatorView()->isAnimating());
}

TEST_F(StripUpdate, APageClosedMidLookupStillCachesTheRatingAndTheStripDiesOnTheMainThread) {
  auto gate = holdSearches();
  Ref<CXVideoDisplayPageModel> model = heat();
  Ref<NSURLSessionDataTask> task;
  std::shared_ptr<std::atomic<Death>> death;
  {
    Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
    death = watchDeath(strip.get());
    strip->updateContainerWithDisplayPageModel(model);
    task = strip->ratingDataTask();
    ASSERT_NE(task, nullptr);
    ASSERT_TRUE(gate->waitForArrivals(1, std::chrono::steady_clock::now() + kPatience));
  }
  EXPECT_EQ(*death, Death::Alive) << "the pending handler keeps the strip";
  EXPECT_EQ(task->state(), NSURLSessionTaskStateRunning) << "closing the page does not cancel the lookup";
  gate->release();
  ASSERT_TRUE(runUntil([&] { return *death != Death::Alive; })) << "the strip outlived its lookup";
  EXPECT_EQ(*death, Death::OnMainThread) << "the handler hands its reference back to the main queue";
  EXPECT_NE(CXEnhancedRatingsManager::sharedInstance()->enhancedRatingForVideoId(model->videoId()), nullptr)
      << "the reopened page finds the rating cached";
}

TEST_F(StripUpdate, AStartedCertifiedLookupCompletesAfterThePageCloses) {
  // Shows a cached film and closes its page while the certified question waits at the gate.
  auto closeMidQuestion = [&](CXEnhancedRating* record, services::Gate& gate, std::size_t arrivals) {
    Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
    auto death = watchDeath(strip.get());
    strip->updateContainerWithDisplayPageModel(cached(record));
    dispatch::MainRunLoop::runOnce();
    finishFadeIn();
    EXPECT_NE(strip->certifiedDataTask(), nullptr);
    EXPECT_TRUE(gate.waitForArrivals(arrivals, std::chrono::steady_clock::now() + kPatience));
    return death;
  };
  auto gate = holdCertifiedAnswers();
  Ref<CXEnhancedRating> record = rating({.movie = true, .critic = 80, .emsId = kCertifiedEmsId});
  auto death = closeMidQuestion(record, *gate, 1);
  EXPECT_EQ(*death, Death::Alive);
  gate->release();
  ASSERT_TRUE(runUntil([&] { return *death != Death::Alive; }));
  EXPECT_EQ(*death, Death::OnMainThread);
  EXPECT_TRUE(record->isValidated() && record->isCertified()) << "the answer settles the cached record";

  // A failed answer posts nothing to the main queue: the handler's reference is the last one.
  auto failingGate = holdCertifiedAnswers();
  services::Misbehaviour failing;
  failing.gate = failingGate;
  failing.fault = services::Fault::ResetMidBody;
  server().setMisbehaviour(Endpoint::Certified, failing);
  death = closeMidQuestion(rating({.movie = true, .critic = 80, .emsId = kCertifiedEmsId}), *failingGate, 1);
  failingGate->release();
  ASSERT_TRUE(runUntil([&] { return *death != Death::Alive; }));
  EXPECT_EQ(*death, Death::OnMainThread) << "released on the main queue even when nothing else goes there";
}

TEST_F(StripUpdate, DestructionCancelsALookupNobodyWaitsFor) {
  auto gate = holdSearches();
  Ref<NSURLSessionDataTask> task = CXEnhancedRatingsManager::sharedInstance()->enhancedRatingSession()
                                       ->dataTaskWithRequest_completionHandler(
                                           CXEnhancedRatingsManager::algoliaAPIRequestForTitle(ns("Heat")),
                                           [](NSData*, NSURLResponse*, NSError*) {});
  {
    Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
    strip->setRatingDataTask(task);
    task->resume();
    ASSERT_TRUE(gate->waitForArrivals(1, std::chrono::steady_clock::now() + kPatience));
  }
  EXPECT_NE(task->state(), NSURLSessionTaskStateRunning) << "destruction cancels the running task";
  gate->release();
  settle();
}

TEST_F(StripUpdate, RowsFollowThePreferencesAtTheMomentTheRatingIsShown) {
  // Built for the critic score alone; the audience score is switched on before the answer.
  setPreferences(true, true, false, false);
  Ref<CXEnhancedRatingViewContainer> strip = makeStrip();
  setPreferences(true, true, true, true);
  strip->updateContainerWithDisplayPageModel(cached(rating({.critic = 87, .audience = 55})));
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  EXPECT_EQ(utf8(strip->firstRatingPercentageLabel()->text()), "87%");
  EXPECT_EQ(utf8(strip->secondRatingPercentageLabel()->text()), "55%");
  EXPECT_TRUE(visible(strip->secondRatingImageView()));
  EXPECT_FLOAT_EQ(strip->secondRatingMeterProgressView()->progress(), 0.55f);

  // Built with two rows; the critic score is switched off before the answer.
  Ref<CXEnhancedRatingViewContainer> two = makeStrip();
  setPreferences(false, false, true, true);
  two->updateContainerWithDisplayPageModel(cached(rating({.critic = 87, .audience = 55})));
  dispatch::MainRunLoop::runOnce();
  finishFadeIn();
  EXPECT_EQ(utf8(two->firstRatingPercentageLabel()->text()), "55%") << "the one enabled score is row 1";
  EXPECT_FALSE(visible(two->secondRatingImageView()));
  EXPECT_EQ(two->secondRatingPercentageLabel()->text(), nullptr);
}
