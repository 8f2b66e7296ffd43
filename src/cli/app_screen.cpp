// What a person sees on the app's screen, as a list a program can read: the
// demo's texts, with each visible switch among them.

#include "cli/app.h"
#include "cli/screen_report.h"
#include "platform/uikit/UISwitch.h"

namespace cli::app {
namespace {

// Switches shown in window (the demo's screen list has texts only); "on" or "off" stands for the text.
void collectSwitches(UIView* view, CGRect window, std::vector<ScreenText>& out) {
  if (view->isHidden() || view->alpha() <= 0.01) return;
  if (auto* toggle = objc_cast<UISwitch>(view)) {
    CGRect f = frameInWindow(toggle);
    bool onScreen = f.origin.x < window.size.width && f.origin.y < window.size.height &&
                    f.origin.x + f.size.width > 0 && f.origin.y + f.size.height > 0;
    if (onScreen) out.push_back({toggle->isOn() ? "on" : "off", "UISwitch", f});
  }
  for (const Ref<UIView>& child : view->subviewList()) collectSwitches(child.get(), window, out);
}

}  // namespace

nlohmann::json screenList(UIView* window) {
  std::vector<ScreenText> shown = screenTexts(window);
  if (window) collectSwitches(window, {{0, 0}, window->bounds().size}, shown);
  nlohmann::json list = nlohmann::json::array();
  for (const auto& line : readingLines(shown))
    for (const ScreenText& t : line) {
      nlohmann::json frame = {t.frame.origin.x, t.frame.origin.y, t.frame.size.width, t.frame.size.height};
      if (t.className == "UISwitch")
        list.push_back({{"class", "UISwitch"}, {"on", t.text == "on"}, {"frame", frame}});
      else
        list.push_back({{"text", t.text}, {"class", t.className}, {"frame", frame}});
    }
  return list;
}

}  // namespace cli::app
