#pragma once
// What the constraint layout (layout_engine.cpp) and its audit
// (layout_audit.cpp) share; not for use outside the toolkit. Main thread.

#include <string>
#include <vector>

#include "platform/uikit/UIView.h"

namespace uikit::detail {

// Half a point: frames are compared as the screen shows them.
constexpr CGFloat kTolerance = 0.5;

inline bool hasArea(CGRect r) { return r.size.width > kTolerance && r.size.height > kTolerance; }

// A view as a warning names it: its accessibility identifier, else its class.
std::string nameOf(const UIView* view);

// The process's warnings, each text once, in the order found.
std::vector<std::string>& warningLog();
void record(const std::string& text);

}  // namespace uikit::detail
