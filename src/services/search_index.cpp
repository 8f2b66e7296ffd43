#include "services/search_index.h"

#include "services/title_index.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cctype>
#include <cmath>
#include <functional>
#include <optional>

#include <fmt/format.h>
#include <httplib.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace services {

namespace {

using nlohmann::json;
// --- filters -----------------------------------------------------------------

struct Token {
  enum class Kind { Word, Quoted, Operator };
  Kind kind;
  std::string text;
  std::size_t column;
};

bool isOperatorChar(char c) { return c == '=' || c == '!' || c == '<' || c == '>' || c == ':'; }

Result<std::vector<Token>> tokenize(std::string_view text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (c == '(' || c == ')') {
      return Error{fmt::format("filters: grouping with parentheses is not supported (col {})", i + 1)};
    } else if (c == '"' || c == '\'') {
      std::string value;
      const std::size_t start = i++;
      while (i < text.size() && text[i] != c) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          ++i;
        }
        value += text[i++];
      }
      if (i == text.size()) {
        return Error{fmt::format("filters: unterminated string starting at col {}", start + 1)};
      }
      ++i;
      tokens.push_back({Token::Kind::Quoted, std::move(value), start + 1});
    } else if (isOperatorChar(c)) {
      const std::size_t start = i;
      std::string op(1, c);
      if (c != ':' && i + 1 < text.size() && text[i + 1] == '=') {
        op += '=';
      }
      i += op.size();
      if (op == "!") {
        return Error{fmt::format("filters: unexpected '!' at col {}", start + 1)};
      }
      tokens.push_back({Token::Kind::Operator, std::move(op), start + 1});
    } else {
      const std::size_t start = i;
      while (i < text.size() && text[i] != ' ' && text[i] != '\t' && !isOperatorChar(text[i]) &&
             text[i] != '(' && text[i] != ')' && text[i] != '"' && text[i] != '\'') {
        ++i;
      }
      tokens.push_back({Token::Kind::Word, std::string(text.substr(start, i - start)), start + 1});
    }
  }
  return tokens;
}

std::optional<double> parseNumber(std::string_view text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<FilterClause::Op> numericOp(std::string_view op) {
  using Op = FilterClause::Op;
  if (op == "=") return Op::Equal;
  if (op == "!=") return Op::NotEqual;
  if (op == "<") return Op::Less;
  if (op == "<=") return Op::LessEqual;
  if (op == ">") return Op::Greater;
  if (op == ">=") return Op::GreaterEqual;
  return std::nullopt;
}

bool compare(double value, const FilterClause& clause) {
  using Op = FilterClause::Op;
  switch (clause.op) {
    case Op::Equal: return value == clause.number;
    case Op::NotEqual: return value != clause.number;
    case Op::Less: return value < clause.number;
    case Op::LessEqual: return value <= clause.number;
    case Op::Greater: return value > clause.number;
    case Op::GreaterEqual: return value >= clause.number;
    case Op::FacetEqual: return false;
  }
  return false;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool valueMatches(const json& value, const FilterClause& clause) {
  if (clause.op == FilterClause::Op::FacetEqual) {
    if (value.is_string()) return equalsIgnoringAsciiCase(value.get_ref<const std::string&>(), clause.facet);
    if (value.is_boolean()) return clause.facet == (value.get<bool>() ? "true" : "false");
    if (value.is_number()) {
      auto number = parseNumber(clause.facet);
      return number && value.get<double>() == *number;
    }
    return false;
  }
  if (value.is_number()) return compare(value.get<double>(), clause);
  if (value.is_boolean()) return compare(value.get<bool>() ? 1.0 : 0.0, clause);
  return false;
}

bool clauseMatches(const json& hit, const FilterClause& clause) {
  auto it = hit.find(clause.attribute);
  if (it == hit.end()) {
    return false;
  }
  if (it->is_array()) {
    return std::any_of(it->begin(), it->end(), [&](const json& v) { return valueMatches(v, clause); });
  }
  return valueMatches(*it, clause);
}

Result<int> parseIntParam(const std::string& name, const std::string& text, int low, int high) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return Error{fmt::format("{}: expected an integer between {} and {}, got \"{}\"", name, low, high, text)};
  }
  return value;
}

std::string queryId(std::string_view query) {
  const auto h1 = std::hash<std::string_view>{}(query);
  const auto h2 = std::hash<std::string>{}(fmt::format("queryID/{}", query));
  return fmt::format("{:016x}{:016x}", h1, h2);
}

}  // namespace

std::vector<std::string> searchWords(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString source =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString decomposed = U_SUCCESS(status) ? nfd->normalize(source, status) : source;
  if (U_FAILURE(status)) {
    decomposed = source;
  }
  decomposed.foldCase();

  std::vector<std::string> words;
  std::string current;
  auto flush = [&] {
    if (!current.empty()) {
      words.push_back(std::move(current));
      current.clear();
    }
  };
  for (int32_t i = 0; i < decomposed.length();) {
    const UChar32 c = decomposed.char32At(i);
    i += U16_LENGTH(c);
    if (u_charType(c) == U_NON_SPACING_MARK || c == u'\'' || c == 0x2019) {
      continue;
    }
    if (c == u'&') {
      flush();
      words.emplace_back("and");
    } else if (u_isalnum(c)) {
      icu::UnicodeString(c).toUTF8String(current);
    } else {
      flush();
    }
  }
  flush();
  return words;
}

bool Filter::matches(const json& hit) const {
  return std::all_of(clauses.begin(), clauses.end(),
                     [&](const FilterClause& clause) { return clauseMatches(hit, clause); });
}

Result<Filter> parseFilter(std::string_view expression) {
  auto tokens = tokenize(expression);
  if (!tokens) {
    return tokens.error();
  }
  const auto& t = tokens.value();
  Filter filter;
  std::size_t i = 0;
  while (i < t.size()) {
    if (i + 3 > t.size() || t[i].kind == Token::Kind::Operator || t[i + 1].kind != Token::Kind::Operator ||
        t[i + 2].kind == Token::Kind::Operator) {
      return Error{fmt::format("filters: expected `attribute operator value` at col {}", t[i].column)};
    }
    FilterClause clause;
    clause.attribute = t[i].text;
    if (t[i + 1].text == ":") {
      clause.op = FilterClause::Op::FacetEqual;
      clause.facet = t[i + 2].text;
    } else {
      auto op = numericOp(t[i + 1].text);
      auto number = t[i + 2].kind == Token::Kind::Word ? parseNumber(t[i + 2].text) : std::nullopt;
      if (!op || !number) {
        return Error{fmt::format("filters: expected a number after `{} {}` at col {}", clause.attribute,
                                 t[i + 1].text, t[i + 2].column)};
      }
      clause.op = *op;
      clause.number = *number;
    }
    filter.clauses.push_back(std::move(clause));
    i += 3;
    if (i < t.size()) {
      if (t[i].kind != Token::Kind::Word || t[i].text != "AND") {
        return Error{fmt::format("filters: unsupported `{}` at col {}: clauses may only be joined by AND",
                                 t[i].text, t[i].column)};
      }
      if (++i == t.size()) {
        return Error{"filters: AND must be followed by a clause"};
      }
    }
  }
  return filter;
}

Result<SearchParams> parseSearchParams(std::string_view encoded) {
  httplib::Params items;
  httplib::detail::parse_query_text(std::string(encoded), items);
  SearchParams params;
  for (const auto& [name, value] : items) {
    if (name == "filters") {
      auto filter = parseFilter(value);
      if (!filter) {
        return filter.error();
      }
      params.filter = std::move(filter).value();
    } else if (name == "hitsPerPage") {
      auto n = parseIntParam(name, value, 0, 1000);
      if (!n) {
        return n.error();
      }
      params.hitsPerPage = n.value();
    } else if (name == "page") {
      auto n = parseIntParam(name, value, 0, 1000000);
      if (!n) {
        return n.error();
      }
      params.page = n.value();
    } else if (name == "clickAnalytics") {
      params.clickAnalytics = value == "true";
    }
  }
  return params;
}

json searchError(int status, std::string_view message) {
  return json{{"message", message}, {"status", status}};
}

ServiceAnswer answerSearchQueries(const TitleIndex& titles, std::string_view indexName,
                                  std::string_view requestBody) {
  const json body = json::parse(requestBody, nullptr, /*allow_exceptions=*/false);
  if (body.is_discarded()) {
    return {400, searchError(400, "Invalid JSON in request body")};
  }
  auto requests = body.is_object() ? body.find("requests") : body.end();
  if (!body.is_object() || requests == body.end() || !requests->is_array()) {
    return {400, searchError(400, "Missing \"requests\" array in request body")};
  }

  json results = json::array();
  for (const json& request : *requests) {
    if (!request.is_object()) {
      return {400, searchError(400, "Each element of \"requests\" must be an object")};
    }
    auto index = request.find("indexName");
    if (index == request.end() || !index->is_string()) {
      return {400, searchError(400, "Missing \"indexName\" in request")};
    }
    if (index->get_ref<const std::string&>() != indexName) {
      return {404, searchError(404, "Index does not exist")};
    }
    std::string query;
    if (auto q = request.find("query"); q != request.end()) {
      if (!q->is_string()) {
        return {400, searchError(400, "\"query\" must be a string")};
      }
      query = q->get<std::string>();
    }
    std::string paramsText;
    if (auto p = request.find("params"); p != request.end()) {
      if (!p->is_string()) {
        return {400, searchError(400, "\"params\" must be a string")};
      }
      paramsText = p->get<std::string>();
    }
    auto params = parseSearchParams(paramsText);
    if (!params) {
      return {400, searchError(400, params.error().message)};
    }

    const auto ranked = titles.rank(query, params.value().filter);
    const auto perPage = static_cast<std::size_t>(params.value().hitsPerPage);
    const auto first = std::min(ranked.size(), perPage * static_cast<std::size_t>(params.value().page));
    const auto last = std::min(ranked.size(), first + perPage);
    json hits = json::array();
    for (auto i = first; i < last; ++i) {
      json hit = *ranked[i];
      hit.erase("certifiedStatus");
      hits.push_back(std::move(hit));
    }
    json result = {
        {"hits", std::move(hits)},
        {"nbHits", ranked.size()},
        {"page", params.value().page},
        {"nbPages", perPage == 0 ? 0 : (ranked.size() + perPage - 1) / perPage},
        {"hitsPerPage", perPage},
        {"exhaustiveNbHits", true},
        {"exhaustiveTypo", true},
        {"exhaustive", {{"nbHits", true}, {"typo", true}}},
        {"query", query},
        {"params", fmt::format("query={}{}{}", httplib::detail::encode_query_param(query),
                               paramsText.empty() ? "" : "&", paramsText)},
        {"index", indexName},
        {"renderingContent", json::object()},
        {"processingTimeMS", 1},
    };
    if (params.value().clickAnalytics) {
      result["queryID"] = queryId(query);
    }
    results.push_back(std::move(result));
  }
  return {200, json{{"results", std::move(results)}}};
}

}  // namespace services
