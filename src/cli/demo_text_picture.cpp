// The demo's text picture: the screen's texts in reading order, a line of
// the screen per line of text, framed; the strip is drawn in words where it
// sits. Lines longer than the frame wrap inside it.

#include <fmt/format.h>

#include "cli/demo.h"
#include "cli/strip_report.h"
#include "platform/foundation/text/encoding.h"

namespace cli::demo {
namespace {

constexpr size_t kInside = 44;  // characters between "| " and " |"

// Pictures set in a text (U+FFFC) are drawn as [*].
std::string printable(const std::string& line) {
  std::string out;
  for (char16_t c : text::fromUtf8(line).value_or(u""))
    out += c == u'\uFFFC' ? std::string("[*]") : text::toUtf8(std::u16string(1, c));
  return out;
}

size_t width(const std::string& s) { return text::fromUtf8(s).value_or(u"").size(); }

// line cut into pieces of at most kInside characters, at spaces where it can.
std::vector<std::string> wrapped(const std::string& line) {
  std::u16string rest = text::fromUtf8(line).value_or(u"");
  std::vector<std::string> out;
  size_t indent = rest.find_first_not_of(u' ');
  if (indent == std::u16string::npos || indent > kInside / 2) indent = 0;
  bool first = true;
  while (first || !rest.empty()) {
    std::u16string lead = first ? u"" : std::u16string(indent + 2, u' ');
    size_t room = kInside - lead.size();
    if (rest.size() <= room) {
      out.push_back(text::toUtf8(lead + rest));
      break;
    }
    size_t cut = rest.rfind(u' ', room);
    if (cut == std::u16string::npos || cut <= indent) cut = room;
    out.push_back(text::toUtf8(lead + rest.substr(0, cut)));
    rest = rest.substr(cut);
    rest.erase(0, rest.find_first_not_of(u' ') == std::u16string::npos ? rest.size() : rest.find_first_not_of(u' '));
    first = false;
  }
  return out;
}

std::vector<std::string> stripLines(CXEnhancedRatingViewContainer* strip) {
  std::vector<std::string> lines;
  std::string text = stripText(strip), line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool inside(const CGRect& r, const CGRect& box) {
  CGFloat x = r.origin.x + r.size.width / 2, y = r.origin.y + r.size.height / 2;
  return x >= box.origin.x && x <= box.origin.x + box.size.width && y >= box.origin.y &&
         y <= box.origin.y + box.size.height;
}

}  // namespace

void printPicture(const std::vector<ScreenText>& screen, CXEnhancedRatingViewContainer* strip, std::ostream& out) {
  const bool placed = strip && strip->superview();
  const CGRect box = placed ? frameInWindow(strip) : CGRect{};
  std::vector<ScreenText> host;  // the strip's own labels are printed with the strip
  for (const ScreenText& t : screen)
    if (!placed || !inside(t.frame, box)) host.push_back(t);

  std::vector<std::string> lines;
  bool stripDone = !placed;
  for (const std::vector<ScreenText>& line : readingLines(host)) {
    if (!stripDone && line.front().frame.origin.y >= box.origin.y) {
      for (const std::string& s : stripLines(strip)) lines.push_back(s);
      stripDone = true;
    }
    std::string joined;
    for (const ScreenText& t : line) joined += (joined.empty() ? "" : "   ") + printable(t.text);
    lines.push_back(joined);
  }
  if (!stripDone)
    for (const std::string& s : stripLines(strip)) lines.push_back(s);

  out << "+" << std::string(kInside + 2, '-') << "+\n";
  for (const std::string& line : lines)
    for (const std::string& piece : wrapped(line))
      out << "| " << piece << std::string(kInside - std::min(kInside, width(piece)), ' ') << " |\n";
  out << "+" << std::string(kInside + 2, '-') << "+\n";
}

}  // namespace cli::demo
