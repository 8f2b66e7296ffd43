#pragma once
// A host API used against its contract (booting twice, opening a page before
// boot, a data source answering with something that is not a cell) is a
// programming error: it prints the reason and aborts, as the device raises.

#include <string>

namespace host {
[[noreturn]] void misuse(const std::string& message);
}  // namespace host
