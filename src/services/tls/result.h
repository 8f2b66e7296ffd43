#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <variant>

namespace services::tls {

// A value or the text of why there is none. Reading the value of a failure
// (or the error of a success) is a programming error and aborts.
template <class T>
class Result {
 public:
  static Result success(T value) { return Result(std::in_place_index<0>, std::move(value)); }
  static Result failure(std::string error) { return Result(std::in_place_index<1>, std::move(error)); }

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  const T& value() const& {
    if (!ok()) misuse("value() of a failed Result");
    return std::get<0>(state_);
  }
  T& value() & {
    if (!ok()) misuse("value() of a failed Result");
    return std::get<0>(state_);
  }
  T&& value() && {
    if (!ok()) misuse("value() of a failed Result");
    return std::get<0>(std::move(state_));
  }
  const std::string& error() const {
    if (ok()) misuse("error() of a successful Result");
    return std::get<1>(state_);
  }

 private:
  template <std::size_t I, class V>
  Result(std::in_place_index_t<I> index, V&& v) : state_(index, std::forward<V>(v)) {}

  [[noreturn]] static void misuse(const char* what) {
    std::fprintf(stderr, "services::tls: %s\n", what);
    std::abort();
  }

  std::variant<T, std::string> state_;
};

}  // namespace services::tls
