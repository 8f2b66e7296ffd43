// Choosing the search hit that is the title the host's page shows: kind, then
// title, then one piece of stronger evidence or a shared name. The first hit
// that passes wins; there is no ranking.

#include <optional>
#include <string>

#include "platform/foundation/text/compare.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/request_support.h"
#include "scorelens/prefs/CXPrefsManager.h"

using namespace lookup;

namespace {
bool isEmpty(const NSArray* list) { return !list || list->count() == 0; }

// A title as the title test compares it: without its parenthesised groups,
// case folded (what caseInsensitiveCompare: compares). Most titles have no
// parenthesis, and then the expression has nothing to remove.
std::u16string comparableTitle(NSString* title) {
  const std::u16string_view text = chars(title);
  if (text.find(u'(') == std::u16string_view::npos) return text::foldCase(text);
  return text::foldCase(chars(CXPrefsManager::removeParensFromString(title).get()));
}

// Equal folds, or one is "the " and the other: folding maps each character
// on its own, so "the %@" filled with a title folds to "the " and its fold.
bool titlesMatch(std::u16string_view ours, std::u16string_view hit) {
  constexpr std::u16string_view kThe = u"the ";
  auto theAnd = [&](std::u16string_view longer, std::u16string_view shorter) {
    return longer.size() == kThe.size() + shorter.size() && longer.starts_with(kThe) &&
           longer.substr(kThe.size()) == shorter;
  };
  return ours == hit || theAnd(hit, ours) || theAnd(ours, hit);
}


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

// The per-hit test with the model's title already made comparable (null when
// it has none), so a walk over twenty hits prepares it once.
Ref<CXEnhancedRating> ratingFromEntry(CXVideoDisplayPageModel* model, id entry, const std::u16string* ourTitle) {
  if (!model || !objc_cast<NSDictionary>(entry)) return nullptr;
  NSString* type = nonEmptyText(entry, "type");
  if (!type || chars(type) != (model->isMovie() ? u"movie" : u"tv")) return nullptr;
  NSString* entryTitle = nonEmptyText(entry, "title");
  if (!ourTitle || !entryTitle || !titlesMatch(*ourTitle, comparableTitle(entryTitle))) return nullptr;

  bool accepted = model->isMovie() ? hasYearMatch(model, entry) || hasRuntimeMatch(model, entry)
                                   : hasSeasonMatch(model, entry);
  using Manager = CXEnhancedRatingsManager;
  accepted = accepted || Manager::entryCastMatchesForActors_entry(model->actors(), entry) > 0 ||
             Manager::entryCrewMatchesForWriters_directors_creators_entry(model->writers(), model->directors(),
                                                                          model->creators(), entry) >= 1;
  return accepted ? Manager::enhancedRatingForEntry_isMovie(entry, model->isMovie()) : nullptr;
}

// The model's title, comparable; null when it has none (no hit matches then).
std::optional<std::u16string> ourComparableTitle(CXVideoDisplayPageModel* model) {
  Ref<NSString> title = model ? model->titleNoParens() : nullptr;
  if (!title || title->length() == 0) return std::nullopt;
  return comparableTitle(title);
}
}  // namespace

Ref<CXEnhancedRating> CXEnhancedRatingsManager::enhancedRatingForVideoDisplayPageModel_fromSearchResults(
    CXVideoDisplayPageModel* model, id results) {
  NSArray* resultList = member<NSArray>(results, "results");
  if (isEmpty(resultList)) return nullptr;
  NSArray* hits = member<NSArray>(resultList->objectAtIndex(0), "hits");
  if (isEmpty(hits)) return nullptr;
  const std::optional<std::u16string> ourTitle = ourComparableTitle(model);
  for (const StrongId& hit : *hits)
    if (Ref<CXEnhancedRating> rating = ratingFromEntry(model, hit.get(), ourTitle ? &*ourTitle : nullptr))
      return rating;
  return nullptr;
}

Ref<CXEnhancedRating> CXEnhancedRatingsManager::enhancedRatingForVideoDisplayPageModel_fromEntry(
    CXVideoDisplayPageModel* model, id entry) {
  const std::optional<std::u16string> ourTitle = ourComparableTitle(model);
  return ratingFromEntry(model, entry, ourTitle ? &*ourTitle : nullptr);
}

bool CXEnhancedRatingsManager::entryHasTitleMatchForTitle_entry(NSString* title, id entry) {
  if (!title || title->length() == 0) return false;
  NSString* entryTitle = nonEmptyText(entry, "title");
  // One leading "the " is bridged on either side, and nothing else is folded.
  return entryTitle && titlesMatch(comparableTitle(title), comparableTitle(entryTitle));
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
