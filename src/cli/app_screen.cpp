// What a person sees on the app's screen, as a list a program can read.

#include <algorithm>
#include <cmath>

#include "cli/app.h"
#include "platform/uikit/UIKit.h"

namespace cli::app {
namespace {

// view's frame in window points, and whether any of it is on the window.
CGRect inWindow(UIView* view) {
  CGRect b = view->bounds();
  CGPoint origin = view->convertPointToWindow(b.origin);
  return {origin, b.size};
}

void collect(UIView* view, CGRect window, std::vector<std::pair<CGRect, nlohmann::json>>& out) {
  if (view->isHidden() || view->presentationAlpha() < 0.01) return;
  CGRect f = inWindow(view);
  bool onScreen = f.origin.x < window.size.width && f.origin.y < window.size.height &&
                  f.origin.x + f.size.width > 0 && f.origin.y + f.size.height > 0;
  auto frame = [&] {
    return nlohmann::json::array({std::round(f.origin.x * 10) / 10, std::round(f.origin.y * 10) / 10,
                                  std::round(f.size.width * 10) / 10, std::round(f.size.height * 10) / 10});
  };
  if (onScreen) {
    NSString* text = nullptr;
    if (auto* label = objc_cast<UILabel>(view)) text = label->text();
    if (auto* button = objc_cast<UIButton>(view)) text = button->currentTitle();
    if (text && text->length())
      out.push_back({f, {{"class", view->className()}, {"text", text->UTF8String()}, {"frame", frame()}}});
    if (auto* toggle = objc_cast<UISwitch>(view))
      out.push_back({f, {{"class", "UISwitch"}, {"on", toggle->isOn()}, {"frame", frame()}}});
  }
  for (const Ref<UIView>& child : view->subviewList()) collect(child.get(), window, out);
}

}  // namespace

nlohmann::json screenList(UIView* window) {
  std::vector<std::pair<CGRect, nlohmann::json>> found;
  if (window) collect(window, window->bounds(), found);
  // Reading order: top to bottom by whole points, then left to right.
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    double ay = std::round(a.first.origin.y), by = std::round(b.first.origin.y);
    return ay != by ? ay < by : a.first.origin.x < b.first.origin.x;
  });
  nlohmann::json list = nlohmann::json::array();
  for (auto& [frame, entry] : found) list.push_back(std::move(entry));
  return list;
}

}  // namespace cli::app
