#include "services/title_index.h"

#include <algorithm>
#include <array>
#include <span>

#include "services/search_index.h"

namespace services {

namespace {

using nlohmann::json;
using TitleWords = std::vector<std::string>;

bool isArticle(std::string_view word) { return word == "the" || word == "a" || word == "an"; }

// Words that alone never make a hit relevant: without this "the office"
// would bring back every title that starts with "The".
bool isStopWord(std::string_view word) {
  static constexpr std::array<std::string_view, 14> kStopWords = {
      "the", "a", "an", "and", "of", "or", "in", "on", "at", "to", "for", "le", "la", "el"};
  return std::find(kStopWords.begin(), kStopWords.end(), word) != kStopWords.end();
}

std::span<const std::string> withoutLeadingArticle(const TitleWords& words) {
  if (words.size() > 1 && isArticle(words.front())) {
    return std::span(words).subspan(1);
  }
  return words;
}

bool containsWord(const TitleWords& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

bool someWordStartsWith(const TitleWords& words, const std::string& prefix) {
  return std::any_of(words.begin(), words.end(),
                     [&](const std::string& w) { return w.starts_with(prefix); });
}

bool containsInOrder(const TitleWords& name, const TitleWords& query) {
  return std::search(name.begin(), name.end(), query.begin(), query.end()) != name.end();
}

// Relevance of one name (a title or an aka title) to the query; 0 means none.
int nameScore(const TitleWords& query, const TitleWords& name) {
  if (query.empty() || name.empty()) {
    return 0;
  }
  if (query == name) {
    return 1000;
  }
  if (std::ranges::equal(withoutLeadingArticle(query), withoutLeadingArticle(name))) {
    return 900;
  }
  std::size_t matched = 0;
  std::size_t whole = 0;
  bool meaningful = false;
  for (std::size_t i = 0; i < query.size(); ++i) {
    const bool isWhole = containsWord(name, query[i]);
    // Only the last word may be a prefix: it is the one still being typed.
    const bool isPrefix = !isWhole && i + 1 == query.size() && someWordStartsWith(name, query[i]);
    if (isWhole || isPrefix) {
      ++matched;
      whole += isWhole ? 1 : 0;
      meaningful = meaningful || !isStopWord(query[i]);
    }
  }
  if (!meaningful) {
    return 0;
  }
  if (matched == query.size()) {
    int score = 500;
    score += whole == query.size() ? 100 : 0;
    score += containsInOrder(name, query) ? 50 : 0;
    const auto extra = name.size() > query.size() ? name.size() - query.size() : 0;
    score -= static_cast<int>(std::min<std::size_t>(extra, 20)) * 5;
    return score;
  }
  return static_cast<int>(100 * matched / query.size());
}

double popularity(const json& hit) {
  auto it = hit.find("popularity");
  return it != hit.end() && it->is_number() ? it->get<double>() : 0.0;
}

}  // namespace

TitleIndex::TitleIndex(const Catalog& catalog) : catalog_(&catalog) {
  const auto& hits = catalog.hits();
  names_.resize(hits.size());
  std::vector<std::pair<std::string, std::uint32_t>> postings;
  for (std::uint32_t i = 0; i < hits.size(); ++i) {
    const json& hit = hits[i];
    Names& names = names_[i];
    popularity_.push_back(popularity(hit));
    if (auto title = hit.find("title"); title != hit.end() && title->is_string()) {
      names.title = searchWords(title->get_ref<const std::string&>());
    }
    if (auto aka = hit.find("aka"); aka != hit.end() && aka->is_array()) {
      for (const auto& name : *aka) {
        if (name.is_string()) names.akas.push_back(searchWords(name.get_ref<const std::string&>()));
      }
    }
    for (const auto& word : names.title) postings.emplace_back(word, i);
    for (const auto& aka : names.akas) {
      for (const auto& word : aka) postings.emplace_back(word, i);
    }
  }
  std::sort(postings.begin(), postings.end());
  postings.erase(std::unique(postings.begin(), postings.end()), postings.end());
  for (auto& [word, hit] : postings) {
    if (words_.empty() || words_.back().first != word) words_.emplace_back(std::move(word), std::vector<std::uint32_t>{});
    words_.back().second.push_back(hit);
  }
}

void TitleIndex::collect(const std::string& word, bool prefix, std::vector<std::uint32_t>& out) const {
  auto it = std::lower_bound(words_.begin(), words_.end(), word,
                             [](const auto& entry, const std::string& w) { return entry.first < w; });
  for (; it != words_.end() && (prefix ? it->first.starts_with(word) : it->first == word); ++it) {
    out.insert(out.end(), it->second.begin(), it->second.end());
  }
}

int TitleIndex::score(const Words& query, std::uint32_t hit) const {
  const Names& names = names_[hit];
  int best = nameScore(query, names.title);
  for (const auto& aka : names.akas) {
    // An alternative title ranks just below the same match on the title.
    const int score = nameScore(query, aka);
    best = std::max(best, score > 0 ? std::max(score - 50, 1) : 0);
  }
  return best;
}

std::vector<const json*> TitleIndex::rank(std::string_view query, const Filter& filter) const {
  struct Ranked {
    const json* hit;
    int score;
    double popularity;
    std::uint32_t position;
  };
  const TitleWords queryWords = searchWords(query);
  const auto& hits = catalog_->hits();
  // The hits that can score: a name scores only when it holds a meaningful
  // query word (the last one possibly as a prefix), or equals the query up
  // to a leading article, and then it holds the query's last word.
  std::vector<std::uint32_t> candidates;
  if (queryWords.empty()) {
    candidates.resize(hits.size());
    for (std::uint32_t i = 0; i < candidates.size(); ++i) candidates[i] = i;
  } else {
    for (std::size_t i = 0; i < queryWords.size(); ++i) {
      const bool last = i + 1 == queryWords.size();
      if (!isStopWord(queryWords[i])) {
        collect(queryWords[i], last, candidates);
      } else if (last) {
        collect(queryWords[i], false, candidates);
      }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  }
  std::vector<Ranked> ranked;
  for (const std::uint32_t i : candidates) {
    const json& hit = hits[i];
    const int score = queryWords.empty() ? 1 : this->score(queryWords, i);
    if (score > 0 && filter.matches(hit)) {
      ranked.push_back({&hit, score, popularity_[i], i});
    }
  }
  std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    if (a.score != b.score) return a.score > b.score;
    if (a.popularity != b.popularity) return a.popularity > b.popularity;
    return a.position < b.position;
  });
  std::vector<const json*> result;
  result.reserve(ranked.size());
  for (const auto& r : ranked) {
    result.push_back(r.hit);
  }
  return result;
}

}  // namespace services
