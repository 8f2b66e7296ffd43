#pragma once
// CXEnhancedRating: one lookup result. Made by the rating extraction on the
// URL session's queue, then shared by the cache, the rating view and the
// completion handlers; the view later confirms its certified status on the
// main queue, and every holder sees that change. Plain accessors, no locking:
// after it is handed out, only the main queue writes it.

#include "platform/foundation/NSURL.h"

class CXEnhancedRating : public NSObject {
 public:
  // Every field absent, NO or 0.0.
  CXEnhancedRating() = default;

  // The ratings service's identifier of the title; nil when the hit had none.
  Ref<NSString> emsId() const { return emsId_; }
  void setEmsId(NSString* emsId) { emsId_ = emsId; }

  // Critic score (Tomatometer) in percent, a whole number; 0.0 without one.
  bool hasCriticRating() const { return hasCriticRating_; }
  void setHasCriticRating(bool has) { hasCriticRating_ = has; }
  double criticRating() const { return criticRating_; }
  void setCriticRating(double rating) { criticRating_ = rating; }

  // Audience score in percent, a whole number; 0.0 without one.
  bool hasAudienceRating() const { return hasAudienceRating_; }
  void setHasAudienceRating(bool has) { hasAudienceRating_ = has; }
  double audienceRating() const { return audienceRating_; }
  void setAudienceRating(double rating) { audienceRating_ = rating; }

  // isCertified is settled only once isValidated is YES.
  bool isCertified() const { return isCertified_; }
  void setIsCertified(bool certified) { isCertified_ = certified; }
  bool isValidated() const { return isValidated_; }
  void setIsValidated(bool validated) { isValidated_ = validated; }

  // YES for a film, NO for a series.
  bool isMovie() const { return isMovie_; }
  void setIsMovie(bool movie) { isMovie_ = movie; }

  // The title's page on the ratings site; nil when the hit had no page name.
  Ref<NSURL> url() const { return url_; }
  void setUrl(NSURL* url) { url_ = url; }

 private:
  Ref<NSString> emsId_;
  bool hasCriticRating_ = false;
  double criticRating_ = 0.0;
  bool hasAudienceRating_ = false;
  double audienceRating_ = 0.0;
  bool isCertified_ = false;
  bool isValidated_ = false;
  bool isMovie_ = false;
  Ref<NSURL> url_;
};
