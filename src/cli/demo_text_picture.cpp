// The demo's text picture: the page as a framed block of text.

#include <fmt/format.h>

#include "cli/demo.h"
#include "cli/strip_report.h"
#include "platform/foundation/text/encoding.h"

namespace cli::demo {
namespace {

// The metadata line as the page shows it, pictures drawn as [*].
std::string printable(const std::string& line) {
  std::string out;
  for (char16_t c : text::fromUtf8(line).value_or(u""))
    out += c == u'\uFFFC' ? std::string("[*]") : text::toUtf8(std::u16string(1, c));
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

}  // namespace

void printPicture(const host::TitlePage& page, CXEnhancedRatingViewContainer* strip, std::ostream& out) {
  out << "+" << std::string(46, '-') << "+\n";
  for (const host::PageCell& cell : page.visibleCells()) {
    switch (cell.kind) {
      case host::PageItemKind::Title:
        out << fmt::format("| {:<44} |\n", titleOf(page));
        break;
      case host::PageItemKind::Metadata:
        out << fmt::format("| {:<44} |\n", printable(metadataLineOf(page)));
        break;
      case host::PageItemKind::PlayButton:
        if (strip && strip->superview())
          for (const std::string& line : stripLines(strip)) out << fmt::format("| {:<44} |\n", line);
        out << fmt::format("| {:<44} |\n", "[ > Play ]");
        break;
      case host::PageItemKind::Summary:
        out << fmt::format("| {:<44} |\n", titleOf(page));
        if (strip && strip->superview())
          for (const std::string& line : stripLines(strip)) out << fmt::format("| {:<44} |\n", line);
        for (const std::string& text : cell.texts) {
          // The strip's own labels are printed with the strip.
          bool stripText = strip && (text == utf8(strip->firstRatingPercentageLabel()->text()) ||
                                     text == utf8(strip->secondRatingPercentageLabel()->text()) ||
                                     text == utf8(strip->messageLabel()->text()));
          if (text != titleOf(page) && !stripText) out << fmt::format("| {:<44.44} |\n", text);
        }
        break;
      default:
        break;
    }
  }
  out << "+" << std::string(46, '-') << "+\n";
}

}  // namespace cli::demo
