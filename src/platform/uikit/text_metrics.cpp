#include "platform/uikit/text_metrics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace uikit {
namespace {

// A paragraph (text between "\n"s) as the lengths of its words, split at
// every single space, in characters; a surrogate pair counts once.
using Paragraph = std::vector<std::size_t>;

std::vector<Paragraph> paragraphsOf(std::u16string_view chars) {
  std::vector<Paragraph> out(1, Paragraph{0});
  for (std::size_t i = 0; i < chars.size(); ++i) {
    char16_t c = chars[i];
    if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && chars[i - 1] >= 0xD800 && chars[i - 1] <= 0xDBFF) continue;
    if (c == u'\n') {
      out.push_back(Paragraph{0});
    } else if (c == u' ') {
      out.back().push_back(0);
    } else {
      ++out.back().back();
    }
  }
  return out;
}

// Line lengths of one paragraph, in characters, wrapped at capacity (0: none).
std::vector<std::size_t> wrap(const Paragraph& words, std::size_t capacity) {
  std::vector<std::size_t> lines;
  if (capacity == 0) {
    std::size_t total = words.size() - 1;  // the spaces
    for (std::size_t n : words) total += n;
    lines.push_back(total);
    return lines;
  }
  std::size_t line = 0;
  bool lineStarted = false;
  auto place = [&](std::size_t n) {
    while (n > capacity) {
      lines.push_back(capacity);
      n -= capacity;
    }
    line = n;
    lineStarted = n > 0;
  };
  for (std::size_t n : words) {
    if (!lineStarted) {
      place(n);
    } else if (line + 1 + n <= capacity) {
      line += 1 + n;
    } else {
      lines.push_back(line);
      place(n);
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

CGSize measureText(const NSString* text, CGFloat pointSize, NSInteger maxLines, CGFloat maxWidth) {
  if (!text || text->length() == 0 || !(pointSize > 0)) return {0, 0};
  CGFloat advance = kTextAdvancePerPoint * pointSize;
  std::size_t capacity = 0;
  if (maxWidth > 0) capacity = std::max<std::size_t>(1, static_cast<std::size_t>(std::floor(maxWidth / advance + 1e-9)));

  std::vector<std::size_t> lines;
  for (const Paragraph& p : paragraphsOf(chars(text))) {
    std::vector<std::size_t> wrapped = wrap(p, capacity);
    lines.insert(lines.end(), wrapped.begin(), wrapped.end());
  }
  if (maxLines > 0 && lines.size() > static_cast<std::size_t>(maxLines)) lines.resize(static_cast<std::size_t>(maxLines));
  std::size_t widest = *std::max_element(lines.begin(), lines.end());
  return {static_cast<CGFloat>(widest) * advance,
          static_cast<CGFloat>(lines.size()) * kTextLineHeightPerPoint * pointSize};
}

}  // namespace uikit
