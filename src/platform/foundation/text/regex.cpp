#include "platform/foundation/text/regex.h"

#include <unicode/regex.h>

#include <utility>

#include "platform/foundation/text/internal.h"

namespace text {

struct Regex::Impl {
  std::u16string pattern;
  unsigned options = 0;
  std::unique_ptr<icu::RegexPattern> compiled;
  std::size_t groups = 0;
};

namespace {

struct FlagMapping {
  unsigned option;
  std::uint32_t icuFlag;
};

constexpr FlagMapping kFlags[] = {
    {RegexCaseInsensitive, UREGEX_CASE_INSENSITIVE}, {RegexAllowCommentsAndWhitespace, UREGEX_COMMENTS},
    {RegexIgnoreMetacharacters, UREGEX_LITERAL},     {RegexDotMatchesLineSeparators, UREGEX_DOTALL},
    {RegexAnchorsMatchLines, UREGEX_MULTILINE},      {RegexUseUnixLineSeparators, UREGEX_UNIX_LINES},
    {RegexUseUnicodeWordBoundaries, UREGEX_UWORD},
};

std::uint32_t icuFlags(unsigned options) {
  std::uint32_t flags = 0;
  unsigned known = 0;
  for (const FlagMapping& m : kFlags) {
    known |= m.option;
    if (options & m.option) flags |= m.icuFlag;
  }
  if (options & ~known) detail::fatal("Regex::compile", "unsupported NSRegularExpressionOptions bit");
  return flags;
}

Match toMatch(const icu::RegexMatcher& matcher, std::size_t groups) {
  Match match;
  match.reserve(groups + 1);
  for (std::size_t g = 0; g <= groups; ++g) {
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t start = matcher.start(static_cast<std::int32_t>(g), status);
    const std::int32_t end = matcher.end(static_cast<std::int32_t>(g), status);
    if (U_FAILURE(status) || start < 0) {
      match.emplace_back();
    } else {
      match.push_back({static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)});
    }
  }
  return match;
}

// Calls onMatch for each match in range until it returns false. The matcher is
// made per call, which is what makes a shared pattern safe across threads.
template <class OnMatch>
void scan(const icu::RegexPattern& pattern, std::size_t groups, std::u16string_view text, Range range,
          const char* caller, OnMatch&& onMatch) {
  if (range.location > text.size() || range.length > text.size() - range.location)
    detail::fatal(caller, "range reaches past the end of the text");
  // A read-only alias: ICU reads the caller's text without copying it.
  const icu::UnicodeString input(false, text.data(), detail::icuLength(text.size(), caller));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(input, status));
  if (U_FAILURE(status)) detail::fatal(caller, u_errorName(status));
  matcher->region(static_cast<std::int64_t>(range.location), static_cast<std::int64_t>(range.end()), status);
  while (U_SUCCESS(status) && matcher->find(status)) {
    if (!onMatch(toMatch(*matcher, groups))) return;
  }
}

void appendTemplate(std::u16string& out, std::u16string_view templ, std::u16string_view text, const Match& match) {
  const std::size_t groups = match.size() - 1;
  for (std::size_t i = 0; i < templ.size();) {
    const char16_t c = templ[i];
    if (c == u'\\' && i + 1 < templ.size()) {
      out.push_back(templ[i + 1]);
      i += 2;
    } else if (c == u'$' && i + 1 < templ.size() && detail::isAsciiDigit(templ[i + 1])) {
      std::size_t group = templ[i + 1] - u'0';
      i += 2;
      while (i < templ.size() && detail::isAsciiDigit(templ[i]) && group * 10 + (templ[i] - u'0') <= groups) {
        group = group * 10 + (templ[i] - u'0');
        ++i;
      }
      if (group <= groups && match[group].found()) out.append(text.substr(match[group].location, match[group].length));
    } else {
      out.push_back(c);
      ++i;
    }
  }
}

}  // namespace

RegexCompilation Regex::compile(std::u16string_view pattern, unsigned options) {
  const std::uint32_t flags = icuFlags(options);
  auto impl = std::make_shared<Impl>();
  impl->pattern = pattern;
  impl->options = options;
  const icu::UnicodeString source(pattern.data(), detail::icuLength(pattern.size(), "Regex::compile"));
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  impl->compiled.reset(icu::RegexPattern::compile(source, flags, where, status));
  if (U_FAILURE(status)) {
    std::string message = u_errorName(status);
    if (where.offset >= 0) message += " at offset " + std::to_string(where.offset);
    return {std::nullopt, std::move(message)};
  }
  // The pattern does not expose its group count; a matcher does.
  std::unique_ptr<icu::RegexMatcher> probe(impl->compiled->matcher(status));
  if (U_FAILURE(status)) detail::fatal("Regex::compile", u_errorName(status));
  impl->groups = static_cast<std::size_t>(probe->groupCount());
  return {Regex(std::move(impl)), {}};
}

const std::u16string& Regex::pattern() const { return impl_->pattern; }
unsigned Regex::options() const { return impl_->options; }
std::size_t Regex::captureGroupCount() const { return impl_->groups; }

std::vector<Match> Regex::matches(std::u16string_view text, Range range) const {
  std::vector<Match> all;
  scan(*impl_->compiled, impl_->groups, text, range, "Regex::matches", [&](Match m) {
    all.push_back(std::move(m));
    return true;
  });
  return all;
}

std::optional<Match> Regex::firstMatch(std::u16string_view text, Range range) const {
  std::optional<Match> first;
  scan(*impl_->compiled, impl_->groups, text, range, "Regex::firstMatch", [&](Match m) {
    first = std::move(m);
    return false;
  });
  return first;
}

std::u16string Regex::replaceAll(std::u16string_view text, Range range, std::u16string_view templ) const {
  std::u16string out;
  std::size_t done = 0;
  scan(*impl_->compiled, impl_->groups, text, range, "Regex::replaceAll", [&](const Match& m) {
    out.append(text.substr(done, m[0].location - done));
    appendTemplate(out, templ, text, m);
    done = m[0].end();
    return true;
  });
  out.append(text.substr(done));
  return out;
}

}  // namespace text
