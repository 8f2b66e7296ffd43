#pragma once
// The host's catalog: the titles the app can show, with the facts its title
// page and details sheet display. Read from a JSON array; every entry is
// checked, and the first problem is reported with the entry it is in.
//
// An entry:
//   {"videoId": 80001, "title": "Heat", "isMovie": true, "year": 1995,
//    "runtimeSeconds": 10200, "seasons": null, "maturity": "R",
//    "badges": ["HD"], "cast": [...], "directors": [...], "writers": [...],
//    "creators": [...]}
// A series has "seasons" (a positive count) and a null or absent
// "runtimeSeconds"; a film the reverse. Optional extras: "episodes" (the
// episode count of a one-season show), "limited" (a limited series),
// "synopsis", "genres", "moods". Unknown members are ignored, as a newer
// catalog may carry more.
//
// Plain values; any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/result.h"

namespace host {

struct CatalogTitle {
  long videoId = 0;
  std::string title;
  bool isMovie = true;
  int year = 0;
  std::optional<long> runtimeSeconds;  // films only
  std::optional<int> seasons;          // series only
  std::optional<std::string> maturity;
  std::vector<std::string> badges;     // in display order; "New" is the recently-added ribbon
  std::vector<std::string> cast;
  std::vector<std::string> directors;
  std::vector<std::string> writers;
  std::vector<std::string> creators;
  std::optional<int> episodes;         // a one-season show's episode count
  bool limited = false;
  std::string synopsis;
  std::vector<std::string> genres;
  std::vector<std::string> moods;
};

class Catalog {
 public:
  // Reads and checks the file. Errors name the path and, for a bad entry,
  // its position and videoId.
  static Result<Catalog> load(const std::string& path);
  // The same for text already read; source names it in errors.
  static Result<Catalog> parse(std::string_view json, const std::string& source);

  const std::vector<CatalogTitle>& titles() const { return titles_; }
  // Null when no title has that id.
  const CatalogTitle* find(long videoId) const;
  // Every title whose name is exactly name, in catalog order.
  std::vector<const CatalogTitle*> findByTitle(std::string_view name) const;

 private:
  std::vector<CatalogTitle> titles_;
};

// The shipped catalog, beside the host's sources.
std::string defaultCatalogPath();

}  // namespace host
