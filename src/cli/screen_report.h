#pragma once
// What the screen shows as text: every visible label and button with a text,
// with its frame in the window's points, in reading order (top to bottom,
// then left to right along a line). The demo prints it as "screen" and draws
// its text picture from it, so text and PNG agree. Main thread; lay the
// window out first.

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "platform/uikit/UIView.h"

namespace cli {

struct ScreenText {
  std::string text;
  std::string className;  // the view's run-time class
  CGRect frame{};         // in the window's points
};

// view's frame in the window's points (the root of its tree).
CGRect frameInWindow(const UIView* view);

// The texts inside window's bounds (partly shown ones too); hidden or
// transparent views and what they hold are left out.
std::vector<ScreenText> screenTexts(UIView* window);

// [{"text", "class", "frame": [x, y, width, height]}...]
nlohmann::json screenJson(const std::vector<ScreenText>& screen);

// Groups the texts into the lines a reader sees: texts whose middles lie
// within one another's heights share a line, left to right.
std::vector<std::vector<ScreenText>> readingLines(const std::vector<ScreenText>& screen);

}  // namespace cli
