#pragma once
// A value or the reason there is none. The simulated host reports every
// failure of its own start-up and data this way (a bad version text, a
// catalog that does not parse, a module that cannot be loaded) so that the
// CLI or a test decides what to do with it. Reading the wrong side is a
// programming error and aborts.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <variant>

namespace host {

struct Error {
  std::string message;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(checked(true)); }
  const T& value() const& { return std::get<0>(checked(true)); }
  T&& value() && { return std::get<0>(std::move(checked(true))); }
  const Error& error() const { return std::get<1>(checked(false)); }

 private:
  std::variant<T, Error>& checked(bool wantValue) {
    verify(wantValue);
    return state_;
  }
  const std::variant<T, Error>& checked(bool wantValue) const {
    verify(wantValue);
    return state_;
  }
  void verify(bool wantValue) const {
    if (state_.index() == (wantValue ? 0u : 1u)) return;
    std::fprintf(stderr, "host::Result: %s read from a result that holds %s\n", wantValue ? "value" : "error",
                 wantValue ? std::get<1>(state_).message.c_str() : "a value");
    std::abort();
  }

  std::variant<T, Error> state_;
};

// For operations that produce nothing but may fail.
struct Done {};
using Status = Result<Done>;

}  // namespace host
