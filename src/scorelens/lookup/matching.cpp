// Choosing the search hit that is the title the host's page shows: kind, then
// title, then one piece of stronger evidence or a shared name. The first hit
// that passes wins; there is no ranking.

#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/request_support.h"
#include "scorelens/prefs/CXPrefsManager.h"

using namespace lookup;

namespace {
bool isEmpty(const NSArray* list) { return !list || list->count() == 0; }

bool sameIgnoringCase(const NSString* a, const NSString* b) { return a->caseInsensitiveCompare(b) == NSOrderedSame; }

// Calls visit with each text "name" of the objects in entry's list `key`.
template <class Visit>
void forEachName(id entry, const char* key, Visit visit) {
  NSArray* people = member<NSArray>(entry, key);
  if (!people) return;
  for (const StrongId& person : *people)
    if (NSString* name = member<NSString>(person.get(), "name")) visit(name);
}

bool hasYearMatch(const CXVideoDisplayPageModel* model, id entry) {
  Ref<NSNumber> year = model->releaseYear();
  NSString* entryYear = member<NSString>(entry, "releaseYear");
  return year && entryYear && year->stringValue()->isEqualToString(entryYear);
}

bool hasRuntimeMatch(const CXVideoDisplayPageModel* model, id entry) {
  NSNumber* minutes = member<NSNumber>(entry, "runTime");
  return model->runtime() && minutes && model->hasRuntimeMatchForRuntimeMinutes(minutes->integerValue());
}

bool hasSeasonMatch(const CXVideoDisplayPageModel* model, id entry) {
  NSArray* seasons = member<NSArray>(entry, "seasons");
  return model->numSeasons() != -1 && seasons && static_cast<std::int64_t>(seasons->count()) == model->numSeasons();
}
}  // namespace

Ref<CXEnhancedRating> CXEnhancedRatingsManager::enhancedRatingForVideoDisplayPageModel_fromSearchResults(
    CXVideoDisplayPageModel* model, id results) {
  NSArray* resultList = member<NSArray>(results, "results");
  if (isEmpty(resultList)) return nullptr;
  NSArray* hits = member<NSArray>(resultList->objectAtIndex(0), "hits");
  if (isEmpty(hits)) return nullptr;
  for (const StrongId& hit : *hits)
    if (Ref<CXEnhancedRating> rating = enhancedRatingForVideoDisplayPageModel_fromEntry(model, hit.get())) return rating;
  return nullptr;
}

Ref<CXEnhancedRating> CXEnhancedRatingsManager::enhancedRatingForVideoDisplayPageModel_fromEntry(
    CXVideoDisplayPageModel* model, id entry) {
  if (!model || !objc_cast<NSDictionary>(entry)) return nullptr;
  NSString* type = nonEmptyText(entry, "type");
  if (!type || !type->isEqualToString(ns(model->isMovie() ? "movie" : "tv"))) return nullptr;
  if (!entryHasTitleMatchForTitle_entry(model->titleNoParens(), entry)) return nullptr;

  bool accepted = model->isMovie() ? hasYearMatch(model, entry) || hasRuntimeMatch(model, entry)
                                   : hasSeasonMatch(model, entry);
  accepted = accepted || entryCastMatchesForActors_entry(model->actors(), entry) > 0 ||
             entryCrewMatchesForWriters_directors_creators_entry(model->writers(), model->directors(),
                                                                 model->creators(), entry) >= 1;
  return accepted ? enhancedRatingForEntry_isMovie(entry, model->isMovie()) : nullptr;
}

bool CXEnhancedRatingsManager::entryHasTitleMatchForTitle_entry(NSString* title, id entry) {
  if (!title || title->length() == 0) return false;
  NSString* entryTitle = nonEmptyText(entry, "title");
  if (!entryTitle) return false;
  Ref<NSString> hit = CXPrefsManager::removeParensFromString(entryTitle);
  Ref<NSString> ours = CXPrefsManager::removeParensFromString(title);
  // One leading "the " is bridged on either side, and nothing else is folded.
  return sameIgnoringCase(ours, hit) || sameIgnoringCase(NSString::stringWithFormat("the %@", ours), hit) ||
         sameIgnoringCase(ours, NSString::stringWithFormat("the %@", hit));
}

std::int64_t CXEnhancedRatingsManager::entryCastMatchesForActors_entry(NSArray* actors, id entry) {
  if (isEmpty(actors)) return 0;
  std::int64_t matches = 0;
  forEachName(entry, "cast", [&](NSString* name) {
    if (actors->containsObject(name)) ++matches;
  });
  return matches;
}

std::int64_t CXEnhancedRatingsManager::entryCrewMatchesForWriters_directors_creators_entry(NSArray* writers,
                                                                                         NSArray* directors,
                                                                                         NSArray* creators, id entry) {
  if (isEmpty(writers) && isEmpty(directors) && isEmpty(creators)) return 0;
  std::int64_t matches = 0;
  // The crew member's role is not consulted: a name counts once, whichever
  // of the model's lists holds it.
  forEachName(entry, "crew", [&](NSString* name) {
    for (NSArray* list : {writers, directors, creators})
      if (list && list->containsObject(name)) {
        ++matches;
        break;
      }
  });
  return matches;
}
