#pragma once

// The search service's index of the catalog's titles: every title and aka
// title split into search words once, and every word with the hits whose
// names hold it, so that a query ranks only the hits sharing a word with it
// rather than splitting the whole catalog's titles again for each query.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "services/catalog.h"

namespace services {

struct Filter;

class TitleIndex {
 public:
  // Keeps a reference to `catalog`, which must outlive the index. Cost:
  // linear in the catalog's titles (one Unicode word split each), done once.
  explicit TitleIndex(const Catalog& catalog);

  const Catalog& catalog() const { return *catalog_; }

  // The hits that pass `filter` and share a meaningful word with `query`,
  // best first: exact title, title without a leading article, all words
  // present, last word as a prefix, then partial word overlap; "aka" titles
  // count slightly less than the title; ties go to the more popular hit,
  // then to catalog order. An empty query returns every passing hit by
  // popularity. Pointers are into the catalog. Safe from any thread.
  std::vector<const nlohmann::json*> rank(std::string_view query, const Filter& filter) const;

 private:
  using Words = std::vector<std::string>;
  struct Names {
    Words title;
    std::vector<Words> akas;
  };

  // Adds the hits holding `word` (or, with `prefix`, a word that begins
  // with it) to `out`.
  void collect(const std::string& word, bool prefix, std::vector<std::uint32_t>& out) const;
  int score(const Words& query, std::uint32_t hit) const;

  const Catalog* catalog_;
  std::vector<Names> names_;  // one per hit, in catalog order
  std::vector<double> popularity_;  // the same
  // Every word of every name, sorted, with the hits holding it (ascending).
  std::vector<std::pair<std::string, std::vector<std::uint32_t>>> words_;
};

}  // namespace services
