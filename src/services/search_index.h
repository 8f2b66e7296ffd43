#pragma once

// The search service's side of a title search: parsing the query parameters
// and filters, and composing the answer in the shape the hosted search
// service uses (the ranking is the title index's). Pure functions of the
// index and the request, so they are tested without a server.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "services/catalog.h"
#include "services/result.h"

namespace services {

class TitleIndex;

// Splits text into search words: case-folded, accents removed ("Amélie" is
// "amelie"), apostrophes dropped inside a word ("Ocean's" is "oceans"), "&"
// read as the word "and", every other non-letter, non-digit a separator.
// Invalid UTF-8 is read as replacement characters, never as an error.
std::vector<std::string> searchWords(std::string_view text);

// One comparison of a filter expression, such as `isEmsSearchable = 1` or
// `type:movie`.
struct FilterClause {
  enum class Op { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, FacetEqual };
  std::string attribute;
  Op op = Op::Equal;
  double number = 0;   // for the numeric comparisons
  std::string facet;   // for FacetEqual
};

// A conjunction of clauses (clauses joined by AND); empty matches every hit.
struct Filter {
  std::vector<FilterClause> clauses;

  // A hit matches a numeric clause when the attribute is a number (or an
  // array holding one) that compares true; a hit without it never matches.
  bool matches(const nlohmann::json& hit) const;
};

// Parses the subset of the search service's filter syntax the services
// support: numeric comparisons and facet equality, joined by AND. OR, NOT and
// parentheses are refused with an error the service reports as status 400.
Result<Filter> parseFilter(std::string_view expression);

// The search parameters of one query, from its form-encoded "params" text.
struct SearchParams {
  Filter filter;
  int hitsPerPage = 20;  // 0 to 1000, as the service allows
  int page = 0;
  bool clickAnalytics = false;
};

Result<SearchParams> parseSearchParams(std::string_view encoded);

// A status and a JSON body, as one of the services answers.
struct ServiceAnswer {
  int status = 200;
  nlohmann::json body;
};

// Answers a multi-query request body ({"requests":[{"indexName", "query",
// "params"}, ...]}) against `titles`, known as index
// `indexName`. A body that is not such an object gives 400, an unknown index
// 404, each with the service's error object ({"message", "status"}). Hits are
// copied from the catalog without the members only the other services read.
ServiceAnswer answerSearchQueries(const TitleIndex& titles, std::string_view indexName,
                                  std::string_view requestBody);

// The service's error object.
nlohmann::json searchError(int status, std::string_view message);

}  // namespace services
