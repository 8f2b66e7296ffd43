#pragma once
// CXEnhancedRatingViewContainer: the strip on a title page. One or two rows,
// each an icon with an optional percentage text and an optional meter bar;
// in their place a message with its icon, and a spinner while a lookup runs.
//
// The layout (one row or two) and every constraint are fixed when the strip
// is made, from the four preferences of that moment; afterwards only alpha,
// images, texts, colours and meter progress change. Which score goes in which
// row, and what each row shows, is read from the preferences at each step of
// showing a rating. The hooks that make a strip give it its width, fonts,
// text colour and background.
//
// Threads: main thread only, except displayMessage_withImage (any thread)
// and destruction. Lookup answers arrive on the URL session's queue and are
// carried to the main queue before any view is touched.
//
// Ownership: the strip owns its subviews and its running tasks. A pending
// lookup handler keeps the strip alive until the lookup ends, so that a page
// closed mid-lookup still caches the rating and a started certified lookup
// still completes; its reference is handed back to the main queue to be
// released, so the strip always dies on the main thread. Animation
// completions and tap recognisers hold it weakly.

#include <optional>

#include "platform/foundation/NSURLSession.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIProgressView.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"

class CXEnhancedRatingViewContainer : public UIView {
 public:
  // Builds the spinner, the icons and labels, and the meters with their
  // constraints, in that order, for the preferences as they are now. What
  // class_createInstance and "initWithFrame:" give the hooks, too.
  explicit CXEnhancedRatingViewContainer(CGRect frame = CGRectZero);
  // Cancels the rating and certified lookups that are still running.
  ~CXEnhancedRatingViewContainer() override;

  // The strip's height for the preferences as they are now: 80 for two rows
  // (both scores enabled), 40 otherwise. Any thread.
  static CGFloat appropriateHeight();
  // Whether this strip's layout was built with two rows.
  bool isTwoRowForm() const { return twoRowForm_; }

  // Sets color as the background of the strip and of each subview.
  void setCustomBackgroundColor(UIColor* color);

  // Shows the title's rating: at once when the cache holds it; otherwise,
  // unless the host reports no network (status 3) or a lookup is already
  // running, starts a lookup with the spinner turning, and fades in the rows
  // that the preferences ask for, or a message, when it answers. A film with
  // a critic score of 75 or more that is not yet confirmed is then asked
  // about its certified status, and a certified one gets the certified icon.
  void updateContainerWithDisplayPageModel(CXVideoDisplayPageModel* model);

  // Stops the spinner and fades in message and icon over 0.5 s, on the main
  // queue. Rows already shown stay. Any thread; nothing happens if the strip
  // is gone by the time the main queue runs it.
  void displayMessage_withImage(NSString* message, UIImage* image);

  // The tap recognisers' action: opens ratingURL when one is set and the
  // application can open it.
  void ratingViewTapped(UIGestureRecognizer* recognizer);

  // --- subviews (owned by the strip; fixed for its life) ----------------------
  UILabel* messageLabel() const { return messageLabel_.get(); }
  UIImageView* messageImageView() const { return messageImageView_.get(); }
  UIActivityIndicatorView* loadingIndicatorView() const { return loadingIndicatorView_.get(); }
  UIImageView* firstRatingImageView() const { return firstRatingImageView_.get(); }
  UIImageView* secondRatingImageView() const { return secondRatingImageView_.get(); }
  UILabel* firstRatingPercentageLabel() const { return firstRatingPercentageLabel_.get(); }
  UILabel* secondRatingPercentageLabel() const { return secondRatingPercentageLabel_.get(); }
  UIProgressView* firstRatingMeterProgressView() const { return firstRatingMeterProgressView_.get(); }
  UIProgressView* secondRatingMeterProgressView() const { return secondRatingMeterProgressView_.get(); }

  // --- lookup state (main thread) ---------------------------------------------
  // The running or last rating lookup; nil before the first one.
  Ref<NSURLSessionDataTask> ratingDataTask() const { return ratingDataTask_; }
  void setRatingDataTask(NSURLSessionDataTask* task) { ratingDataTask_ = task; }
  // The running or last certified-status lookup; nil before the first one.
  Ref<NSURLSessionDataTask> certifiedDataTask() const { return certifiedDataTask_; }
  void setCertifiedDataTask(NSURLSessionDataTask* task) { certifiedDataTask_ = task; }
  // The title's page on the ratings site, opened by a tap; nil until a rating arrives.
  Ref<NSURL> ratingURL() const { return ratingURL_; }
  void setRatingURL(NSURL* url) { ratingURL_ = url; }

  // Adds the run-time methods that the hooks send by name to the strip's
  // class (registered under "CXEnhancedRatingViewContainer"). Once, at load.
  static void registerRunTimeMethods(Class cls);

 private:
  enum class Score { Critic, Audience };
  struct Row {
    UIImageView* icon;
    UILabel* label;
    UIProgressView* meter;
  };

  void createLoadingIndicatorView();
  void createImageAndPercentageViews();
  void createMeterViews();

  // The row that shows score, or none, for the preferences as they are now:
  // with both scores on, the critic score is row 1 and the audience score
  // row 2; otherwise the one enabled score is row 1.
  std::optional<Row> rowFor(Score score) const;
  // The result handler of one update: holds the model and the strip.
  CXRatingHandler resultHandlerFor(CXVideoDisplayPageModel* model);
  void showRating(CXEnhancedRating* rating, CXVideoDisplayPageModel* model);
  void fadeInRows(CXEnhancedRating* rating);
  void afterFadeIn(CXEnhancedRating* rating, CXVideoDisplayPageModel* model);
  void showCertifiedIcon(CXEnhancedRating* rating);
  void showMessageNow(NSString* message, UIImage* image);

  Ref<UILabel> messageLabel_;
  Ref<UIImageView> messageImageView_;
  Ref<UIActivityIndicatorView> loadingIndicatorView_;
  Ref<UIImageView> firstRatingImageView_;
  Ref<UIImageView> secondRatingImageView_;
  Ref<UILabel> firstRatingPercentageLabel_;
  Ref<UILabel> secondRatingPercentageLabel_;
  Ref<UIProgressView> firstRatingMeterProgressView_;
  Ref<UIProgressView> secondRatingMeterProgressView_;
  Ref<NSURLSessionDataTask> ratingDataTask_;
  Ref<NSURLSessionDataTask> certifiedDataTask_;
  Ref<NSURL> ratingURL_;
  bool twoRowForm_ = false;
};
