// The strip's way from blank to scores or a message: the lookup, the fade-in,
// the certified lookup and the tap.

#include <cstdio>

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIApplication.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/prefs/localized.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace {

constexpr double kFadeSeconds = 0.5;
constexpr double kCertifiedDissolveSeconds = 1.0;
constexpr double kCertifiedThreshold = 75.0;
// The host's reachability monitor answers this when there is no network.
constexpr long kNotReachable = 3;
constexpr UIViewAnimationOptions kDefaultOptions = static_cast<UIViewAnimationOptions>(0);

constexpr const char* kNetworkErrorKey = "NETWORK_ERROR";
constexpr const char* kNetworkErrorText =
    "An error occurred retrieving the enhanced rating; please try again later. If the problem persists, please "
    "contact the developer of %@ for assistance.";
constexpr const char* kNoRatingKey = "NO_RATING_AVAILABLE";
constexpr const char* kNoRatingText = "No enhanced rating could be found.";
constexpr const char16_t* kProductName = u"ScoreLens";

Ref<NSString> ns(const char* text) { return NSString::stringWithUTF8String(text); }

// The host's network status, read by run-time name: a host without the
// monitor, or whose monitor answers in another shape, counts as 0.
long currentNetworkStatus() {
  Class monitor = objc_getClass("CRReachabilityMonitor");
  Method status = class_getClassMethod(monitor, sel("currentNetworkStatus"));
  if (!status || !objc::encodingsMatch(method_getTypeEncoding(status), "q@:")) return 0;
  return objc_msgSend<long>(monitor, "currentNetworkStatus");
}

Ref<NSString> localized(const char* key, const char* english) { return CXLocalizedString(key, english); }

// The error text is a format with one object argument, the product name. It
// is filled here rather than by a general formatter, so that a translated
// text with other directives shows them as written instead of reading
// arguments that are not there.
Ref<NSString> withProductName(const NSString* format) {
  std::u16string_view in = chars(format);
  std::u16string out;
  bool filled = false;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == u'%' && i + 1 < in.size()) {
      if (in[i + 1] == u'%') {
        out += u'%';
        ++i;
        continue;
      }
      std::size_t directive = in[i + 1] == u'@' ? 2 : in.substr(i, 4) == u"%1$@" ? 4 : 0;
      if (directive && !filled) {
        out += kProductName;
        i += directive - 1;
        filled = true;
        continue;
      }
    }
    out += in[i];
  }
  return NSString::stringWithCharacters(std::move(out));
}

Ref<NSString> networkErrorText() { return withProductName(localized(kNetworkErrorKey, kNetworkErrorText)); }

// "87%" (printf's rounding to a whole number), or "--" without a score.
Ref<NSString> scoreText(bool has, double score) {
  if (!has) return ns("--");
  char text[64];
  std::snprintf(text, sizeof text, "%.0f%%", score);
  return ns(text);
}

bool isUnderWay(const NSURLSessionDataTask* task) {
  return task && task->state() != NSURLSessionTaskStateCompleted;
}

}  // namespace

CXEnhancedRatingViewContainer::~CXEnhancedRatingViewContainer() {
  // Nobody waits for these any more: their handlers hold the strip weakly.
  for (Ref<NSURLSessionDataTask>* task : {&ratingDataTask_, &certifiedDataTask_}) {
    if (*task && (*task)->state() == NSURLSessionTaskStateRunning) (*task)->cancel();
    task->reset();
  }
}

std::optional<CXEnhancedRatingViewContainer::Row> CXEnhancedRatingViewContainer::rowFor(Score score) const {
  Row first{firstRatingImageView_, firstRatingPercentageLabel_, firstRatingMeterProgressView_};
  Row second{secondRatingImageView_, secondRatingPercentageLabel_, secondRatingMeterProgressView_};
  // The rows are the ones the strip was built with; a preference changed
  // since then cannot move a score into a row that has no room for it.
  if (twoRowForm_) return score == Score::Critic ? first : second;
  bool critic = CXPrefsManager::criticRatingEnabled();
  if (score == Score::Critic) return critic ? std::optional(first) : std::nullopt;
  return !critic && CXPrefsManager::audienceRatingEnabled() ? std::optional(first) : std::nullopt;
}

void CXEnhancedRatingViewContainer::updateContainerWithDisplayPageModel(CXVideoDisplayPageModel* model) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!model) return;
  CXRatingHandler handler = resultHandlerFor(model);
  if (Ref<CXEnhancedRating> cached = CXEnhancedRatingsManager::sharedInstance()->enhancedRatingForVideoId(model->videoId())) {
    handler(cached, false);
    return;
  }
  if (currentNetworkStatus() == kNotReachable) return;
  if (isUnderWay(ratingDataTask_)) return;
  ratingDataTask_ = CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(model, handler);
  // Without a task nothing will ever answer: no spinner, and the next update tries again.
  if (!ratingDataTask_) return;
  loadingIndicatorView_->startAnimating();
  ratingDataTask_->resume();
}

CXRatingHandler CXEnhancedRatingViewContainer::resultHandlerFor(CXVideoDisplayPageModel* model) {
  Weak<CXEnhancedRatingViewContainer> strip(this);
  Ref<CXVideoDisplayPageModel> kept(model);
  // Runs on the session's queue (or the main thread for a cached rating):
  // only the cache is touched here, every view on the main queue.
  return [strip, kept](CXEnhancedRating* rating, bool failed) {
    if (failed || !rating) {
      dispatch_async(dispatch_get_main_queue(), [strip, failed] {
        Ref<CXEnhancedRatingViewContainer> self = strip.lock();
        if (!self) return;
        if (failed)
          self->showMessageNow(networkErrorText(), CXPrefsManager::errorImage());
        else
          self->showMessageNow(localized(kNoRatingKey, kNoRatingText), CXPrefsManager::noRatingAvailableImage());
      });
      return;
    }
    Ref<CXEnhancedRating> record(rating);
    CXEnhancedRatingsManager::sharedInstance()->addEnhancedRating_withVideoId(record, kept->videoId());
    dispatch_async(dispatch_get_main_queue(), [strip, record, kept] {
      if (Ref<CXEnhancedRatingViewContainer> self = strip.lock()) self->showRating(record, kept);
    });
  };
}

void CXEnhancedRatingViewContainer::showRating(CXEnhancedRating* rating, CXVideoDisplayPageModel* model) {
  setRatingURL(rating->url());
  // Each result adds a recogniser; earlier ones stay, all with the same action.
  addGestureRecognizer(make<UITapGestureRecognizer>(static_cast<id>(this), sel("ratingViewTapped:")));

  Ref<UIColor> track = CXPrefsManager::enhancedRatingMeterTrackColor();
  Ref<UIColor> progress = CXPrefsManager::enhancedRatingMeterProgressColor();
  auto colour = [&](Score score, bool meter, bool has) {
    std::optional<Row> row = rowFor(score);
    if (!meter || !has || !row) return;
    row->meter->setTrackTintColor(track);
    row->meter->setProgressTintColor(progress);
  };
  colour(Score::Audience, CXPrefsManager::audienceRatingMeterEnabled(), rating->hasAudienceRating());
  colour(Score::Critic, CXPrefsManager::criticRatingMeterEnabled(), rating->hasCriticRating());

  messageLabel_->setAlpha(1);
  messageImageView_->setAlpha(1);
  loadingIndicatorView_->stopAnimating();

  Weak<CXEnhancedRatingViewContainer> strip(this);
  Ref<CXEnhancedRating> record(rating);
  Ref<CXVideoDisplayPageModel> kept(model);
  UIView::animateWithDuration_delay_options_animations_completion(
      kFadeSeconds, 0, kDefaultOptions, [this, record] { fadeInRows(record); },
      [strip, record, kept](bool) {
        if (Ref<CXEnhancedRatingViewContainer> self = strip.lock()) self->afterFadeIn(record, kept);
      });
}

void CXEnhancedRatingViewContainer::fadeInRows(CXEnhancedRating* r) {
  Ref<UIImage> criticIcon =
      CXPrefsManager::criticRatingImageForRating_hasRating_isCertified(r->criticRating(), r->hasCriticRating(), r->isCertified());
  Ref<UIImage> audienceIcon = CXPrefsManager::audienceRatingImageForRating_hasRating(r->audienceRating(), r->hasAudienceRating());
  Ref<NSString> criticText = scoreText(r->hasCriticRating(), r->criticRating());
  Ref<NSString> audienceText = scoreText(r->hasAudienceRating(), r->audienceRating());

  auto show = [](const Row& row, UIImage* icon, NSString* text, bool percentage, bool meter, bool has) {
    row.icon->setImage(icon);
    if (percentage) {
      row.label->setAlpha(1);
      row.label->setText(text);
    }
    if (meter && has) row.meter->setAlpha(1);
  };
  firstRatingImageView_->setAlpha(1);
  std::optional<Row> critic = rowFor(Score::Critic);
  std::optional<Row> audience = rowFor(Score::Audience);
  if (twoRowForm_) secondRatingImageView_->setAlpha(1);
  if (critic)
    show(*critic, criticIcon, criticText, CXPrefsManager::criticRatingPercentageEnabled(),
         CXPrefsManager::criticRatingMeterEnabled(), r->hasCriticRating());
  if (audience)
    show(*audience, audienceIcon, audienceText, CXPrefsManager::audienceRatingPercentageEnabled(),
         CXPrefsManager::audienceRatingMeterEnabled(), r->hasAudienceRating());
}

void CXEnhancedRatingViewContainer::afterFadeIn(CXEnhancedRating* r, CXVideoDisplayPageModel* model) {
  auto fill = [&](Score score, bool meter, bool has, double value) {
    std::optional<Row> row = rowFor(score);
    if (meter && has && row) row->meter->setProgress_animated(static_cast<float>(value / 100), true);
  };
  fill(Score::Critic, CXPrefsManager::criticRatingMeterEnabled(), r->hasCriticRating(), r->criticRating());
  fill(Score::Audience, CXPrefsManager::audienceRatingMeterEnabled(), r->hasAudienceRating(), r->audienceRating());

  Ref<NSString> emsId = r->emsId();
  if (!r->isMovie() || !emsId || emsId->length() == 0 || !CXPrefsManager::criticRatingEnabled() ||
      !r->hasCriticRating() || !(r->criticRating() >= kCertifiedThreshold) || r->isValidated())
    return;

  Weak<CXEnhancedRatingViewContainer> strip(this);
  Ref<CXEnhancedRating> record(r);
  Ref<CXVideoDisplayPageModel> kept(model);
  CXCertifiedHandler handler = [strip, record, kept](bool certified, bool failed) {
    // A failure leaves the record unconfirmed, so a later showing asks again.
    if (failed) return;
    dispatch_async(dispatch_get_main_queue(), [strip, record, kept, certified] {
      record->setIsValidated(true);
      record->setIsCertified(certified);
      if (certified && CXPrefsManager::criticRatingEnabled())
        if (Ref<CXEnhancedRatingViewContainer> self = strip.lock()) self->showCertifiedIcon(record);
      // Cached again so that a later page for the title skips the question.
      CXEnhancedRatingsManager::sharedInstance()->addEnhancedRating_withVideoId(record, kept->videoId());
    });
  };
  if (currentNetworkStatus() == kNotReachable) return;
  if (isUnderWay(certifiedDataTask_)) return;
  certifiedDataTask_ = CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(emsId, handler);
  if (certifiedDataTask_) certifiedDataTask_->resume();
}

void CXEnhancedRatingViewContainer::showCertifiedIcon(CXEnhancedRating* r) {
  Ref<UIImage> icon = CXPrefsManager::criticRatingImageForRating_hasRating_isCertified(r->criticRating(), true, true);
  UIImageView* row1 = firstRatingImageView_;
  UIView::transitionWithView_duration_options_animations_completion(
      row1, kCertifiedDissolveSeconds, UIViewAnimationOptionTransitionCrossDissolve, [row1, icon] { row1->setImage(icon); },
      nullptr);
}

void CXEnhancedRatingViewContainer::displayMessage_withImage(NSString* message, UIImage* image) {
  Weak<CXEnhancedRatingViewContainer> strip(this);
  Ref<NSString> text(message);
  Ref<UIImage> icon(image);
  dispatch_async(dispatch_get_main_queue(), [strip, text, icon] {
    if (Ref<CXEnhancedRatingViewContainer> self = strip.lock()) self->showMessageNow(text, icon);
  });
}

void CXEnhancedRatingViewContainer::showMessageNow(NSString* message, UIImage* image) {
  UIView::animateWithDuration_delay_options_animations_completion(
      kFadeSeconds, 0, kDefaultOptions,
      [&] {
        loadingIndicatorView_->stopAnimating();
        messageLabel_->setText(message);
        messageLabel_->setAlpha(1);
        messageImageView_->setAlpha(1);
        messageImageView_->setImage(image);
      },
      nullptr);
}

void CXEnhancedRatingViewContainer::ratingViewTapped(UIGestureRecognizer* /*recognizer*/) {
  UIKIT_MAIN_THREAD_ONLY();
  if (!ratingURL_) return;
  UIApplication* application = UIApplication::sharedApplication();
  if (application->canOpenURL(ratingURL_)) application->openURL(ratingURL_);
}

void CXEnhancedRatingViewContainer::registerRunTimeMethods(Class cls) {
  using C = CXEnhancedRatingViewContainer;
  objc::addMethod<&C::updateContainerWithDisplayPageModel>(cls, "updateContainerWithDisplayPageModel:");
  objc::addMethod<&C::setCustomBackgroundColor>(cls, "setCustomBackgroundColor:");
  objc::addMethod<&C::displayMessage_withImage>(cls, "displayMessage:withImage:");
  objc::addMethod<&C::ratingViewTapped>(cls, "ratingViewTapped:");
  objc::addMethod<&C::messageLabel>(cls, "messageLabel");
  objc::addMethod<&C::messageImageView>(cls, "messageImageView");
  objc::addMethod<&C::loadingIndicatorView>(cls, "loadingIndicatorView");
  objc::addMethod<&C::firstRatingImageView>(cls, "firstRatingImageView");
  objc::addMethod<&C::secondRatingImageView>(cls, "secondRatingImageView");
  objc::addMethod<&C::firstRatingPercentageLabel>(cls, "firstRatingPercentageLabel");
  objc::addMethod<&C::secondRatingPercentageLabel>(cls, "secondRatingPercentageLabel");
  objc::addMethod<&C::firstRatingMeterProgressView>(cls, "firstRatingMeterProgressView");
  objc::addMethod<&C::secondRatingMeterProgressView>(cls, "secondRatingMeterProgressView");
  objc::addMethod<&C::ratingDataTask>(cls, "ratingDataTask");
  objc::addMethod<&C::setRatingDataTask>(cls, "setRatingDataTask:");
  objc::addMethod<&C::certifiedDataTask>(cls, "certifiedDataTask");
  objc::addMethod<&C::setCertifiedDataTask>(cls, "setCertifiedDataTask:");
  objc::addMethod<&C::ratingURL>(cls, "ratingURL");
  objc::addMethod<&C::setRatingURL>(cls, "setRatingURL:");
  Class meta = object_getClass(class_asObject(cls));
  IMP height = +[](id, SEL) -> double { return C::appropriateHeight(); };
  class_addMethod(meta, sel("appropriateHeight"), height, std::string(height.types()).c_str());
}
