// The title model's derived fields and its completeness test.

#include "scorelens/lookup/CXVideoDisplayPageModel.h"

#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace {
Ref<NSArray> immutable(const Ref<NSArray>& list) { return list ? list->copyArray() : nullptr; }
}  // namespace

void CXVideoDisplayPageModel::setTitle(NSString* title) {
  // Identity, not text: only a new object recomputes the cleaned title.
  if (title == title_.get()) return;
  title_ = title;
  titleNoParens_ = CXPrefsManager::removeParensFromString(title);
}

void CXVideoDisplayPageModel::setActorsFromCastString(NSString* cast) {
  if (!cast) {
    actors_ = nullptr;
    return;
  }
  Ref<NSString> names = cast->stringByReplacingOccurrencesOfString_withString(NSString::stringWithUTF8String("Cast: "),
                                                                              NSString::string());
  actors_ = names->componentsSeparatedByString(NSString::stringWithUTF8String(", "))->copyArray();
}

bool CXVideoDisplayPageModel::hasCompleteModel() const {
  if (!videoId_) return false;
  if (CXEnhancedRatingsManager::sharedInstance()->enhancedRatingForVideoId(videoId_)) return true;
  if (!title_ || title_->length() == 0) return false;
  if (!releaseYear_) return false;
  if (isMovie_) return static_cast<bool>(runtime_);
  return numSeasons_ > 0;
}

bool CXVideoDisplayPageModel::hasRuntimeMatchForRuntimeMinutes(std::int64_t minutes) const {
  // Seconds fit any runtime; whole minutes are compared with a minute's slack.
  std::int64_t ours = runtime_ ? runtime_->longLongValue() / 60 : 0;
  return minutes == ours || minutes == ours + 1 || minutes == ours - 1;
}

Ref<CXVideoDisplayPageModel> CXVideoDisplayPageModel::copyModel() const {
  Ref<CXVideoDisplayPageModel> other = make<CXVideoDisplayPageModel>();
  other->titleNoParens_ = titleNoParens_;
  other->videoId_ = videoId_;
  other->title_ = title_;
  other->releaseYear_ = releaseYear_;
  other->numSeasons_ = numSeasons_;
  other->runtime_ = runtime_;
  other->actors_ = immutable(actors_);
  other->writers_ = immutable(writers_);
  other->directors_ = immutable(directors_);
  other->creators_ = immutable(creators_);
  other->isMovie_ = isMovie_;
  return other;
}

Ref<NSObject> CXVideoDisplayPageModel::copy() const { return copyModel(); }
