#pragma once
// CXVideoDisplayPageModel: the facts about one title that the display-page
// hooks gather, and that the lookup searches and matches with. Main thread
// while it is being filled; once handed to a lookup it is only read.

#include <cstdint>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSValue.h"

class CXVideoDisplayPageModel : public NSObject {
 public:
  // Every object field nil, isMovie NO, numSeasons -1 (no count gathered).
  CXVideoDisplayPageModel() = default;

  // The title without its parenthesised parts: what is searched and matched.
  // Follows setTitle; may also be set directly.
  Ref<NSString> titleNoParens() const { return titleNoParens_; }
  void setTitleNoParens(NSString* title) { titleNoParens_ = title; }

  // The host's video identifier, compared by value; the cache key.
  Ref<NSNumber> videoId() const { return videoId_; }
  void setVideoId(NSNumber* videoId) { videoId_ = videoId; }

  // The title as the host shows it. Setting a different object (identity,
  // not text) also sets titleNoParens; setting nil sets it to nil; setting
  // the object already held does nothing. Costs one expression replace.
  Ref<NSString> title() const { return title_; }
  void setTitle(NSString* title);

  Ref<NSNumber> releaseYear() const { return releaseYear_; }
  void setReleaseYear(NSNumber* year) { releaseYear_ = year; }

  // -1 when no count was gathered.
  std::int64_t numSeasons() const { return numSeasons_; }
  void setNumSeasons(std::int64_t seasons) { numSeasons_ = seasons; }

  // Running time in seconds.
  Ref<NSNumber> runtime() const { return runtime_; }
  void setRuntime(NSNumber* seconds) { runtime_ = seconds; }

  // Name lists in the host's order; nil counts as empty.
  Ref<NSArray> actors() const { return actors_; }
  void setActors(NSArray* names) { actors_ = names; }
  Ref<NSArray> writers() const { return writers_; }
  void setWriters(NSArray* names) { writers_ = names; }
  Ref<NSArray> directors() const { return directors_; }
  void setDirectors(NSArray* names) { directors_ = names; }
  Ref<NSArray> creators() const { return creators_; }
  void setCreators(NSArray* names) { creators_ = names; }

  bool isMovie() const { return isMovie_; }
  void setIsMovie(bool movie) { isMovie_ = movie; }

  // Replaces actors with the pieces of the host's cast line: every "Cast: "
  // deleted, the rest split at each ", " (untrimmed; "" gives [""]). nil
  // clears the list.
  void setActorsFromCastString(NSString* cast);

  // A new model with the same facts (the name lists as immutable copies), for
  // readers on another thread. copy() answers the same.
  Ref<CXVideoDisplayPageModel> copyModel() const;
  Ref<NSObject> copy() const override;

  // Whether a lookup can start: a video identifier, and either a cached rating
  // for it or a non-empty title, a release year, and a runtime (film) or a
  // season count above 0 (series). Reads the shared manager's cache, creating
  // the manager on first use.
  bool hasCompleteModel() const;

  // Whether minutes is within one minute of the runtime in whole minutes
  // (seconds / 60, remainder dropped; a nil runtime counts as 0).
  bool hasRuntimeMatchForRuntimeMinutes(std::int64_t minutes) const;

  // Copies title, release year and runtime (always; a missing or mistyped
  // answer clears the field) and the four name lists (only when the entity
  // answers with at least one record; each record's "name") from the host's
  // details object. The entity is used through messages only; a message it
  // does not answer, or answers with another shape, counts as no answer.
  void populatePageModelFromDetailsEntity(id entity);

 private:
  Ref<NSString> titleNoParens_;
  Ref<NSNumber> videoId_;
  Ref<NSString> title_;
  Ref<NSNumber> releaseYear_;
  std::int64_t numSeasons_ = -1;
  Ref<NSNumber> runtime_;
  Ref<NSArray> actors_;
  Ref<NSArray> writers_;
  Ref<NSArray> directors_;
  Ref<NSArray> creators_;
  bool isMovie_ = false;
};
