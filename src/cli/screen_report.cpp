#include "cli/screen_report.h"

#include <algorithm>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"

namespace cli {
namespace {

bool seen(const UIView* view) { return !view->isHidden() && view->alpha() > 0.01; }

std::string shownText(UIView* view) {
  NSString* text = nullptr;
  if (auto* label = objc_cast<UILabel>(view))
    text = label->text();
  else if (auto* button = objc_cast<UIButton>(view))
    text = button->currentTitle();
  return text && text->length() > 0 ? text->UTF8String() : std::string();
}

bool overlaps(CGRect a, CGRect b) {
  return a.origin.x < b.origin.x + b.size.width && b.origin.x < a.origin.x + a.size.width &&
         a.origin.y < b.origin.y + b.size.height && b.origin.y < a.origin.y + a.size.height;
}

void collect(UIView* view, CGPoint origin, CGRect window, std::vector<ScreenText>& out) {
  for (const Ref<UIView>& child : view->subviewList()) {
    if (!seen(child.get())) continue;
    CGRect f = child->frame();
    f.origin.x += origin.x;
    f.origin.y += origin.y;
    if (std::string text = shownText(child.get()); !text.empty() && overlaps(f, window))
      out.push_back({std::move(text), child->className(), f});
    collect(child.get(), {f.origin.x - child->bounds().origin.x, f.origin.y - child->bounds().origin.y}, window, out);
  }
}

CGFloat middle(const CGRect& r) { return r.origin.y + r.size.height / 2; }

}  // namespace

CGRect frameInWindow(const UIView* view) {
  CGRect f = view->frame();
  for (Ref<UIView> up = view->superview(); up; up = up->superview()) {
    f.origin.x += up->frame().origin.x - up->bounds().origin.x;
    f.origin.y += up->frame().origin.y - up->bounds().origin.y;
  }
  return f;
}

std::vector<ScreenText> screenTexts(UIView* window) {
  std::vector<ScreenText> out;
  if (!window || !seen(window)) return out;
  CGRect bounds = {{0, 0}, window->bounds().size};
  collect(window, {-window->bounds().origin.x, -window->bounds().origin.y}, bounds, out);
  std::vector<ScreenText> ordered;
  for (auto& line : readingLines(out)) ordered.insert(ordered.end(), line.begin(), line.end());
  return ordered;
}

std::vector<std::vector<ScreenText>> readingLines(const std::vector<ScreenText>& screen) {
  std::vector<ScreenText> byTop = screen;
  std::stable_sort(byTop.begin(), byTop.end(),
                   [](const ScreenText& a, const ScreenText& b) { return a.frame.origin.y < b.frame.origin.y; });
  std::vector<std::vector<ScreenText>> lines;
  CGFloat lineTop = 0, lineBottom = 0;
  for (const ScreenText& t : byTop) {
    const CGFloat m = middle(t.frame);
    const bool joins = !lines.empty() && ((m >= lineTop && m <= lineBottom) ||
                                          (middle(lines.back().front().frame) >= t.frame.origin.y &&
                                           middle(lines.back().front().frame) <= t.frame.origin.y + t.frame.size.height));
    if (!joins) {
      lines.emplace_back();
      lineTop = t.frame.origin.y;
      lineBottom = t.frame.origin.y + t.frame.size.height;
    }
    lines.back().push_back(t);
  }
  for (auto& line : lines)
    std::stable_sort(line.begin(), line.end(),
                     [](const ScreenText& a, const ScreenText& b) { return a.frame.origin.x < b.frame.origin.x; });
  return lines;
}

nlohmann::json screenJson(const std::vector<ScreenText>& screen) {
  nlohmann::json out = nlohmann::json::array();
  for (const ScreenText& t : screen)
    out.push_back({{"text", t.text},
                   {"class", t.className},
                   {"frame", {t.frame.origin.x, t.frame.origin.y, t.frame.size.width, t.frame.size.height}}});
  return out;
}

}  // namespace cli
