#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace services {

// Host names and header names compare without case, in ASCII only.
inline std::string lowerAscii(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace services
