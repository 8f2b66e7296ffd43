#include "platform/foundation/NSJSONSerialization.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/foundation/NSValue.h"
#include "platform/foundation/text/encoding.h"

namespace {

Ref<NSError> jsonError(const std::string& debugDescription) {
  auto info = make<NSMutableDictionary>();
  info->setObject_forKey("The data couldn\u2019t be read because it isn\u2019t in the correct format."_ns,
                         NSString::stringWithUTF8String(NSLocalizedDescriptionKey));
  Ref<NSString> debug = NSString::stringWithUTF8String(debugDescription);
  info->setObject_forKey(debug ? debug : "(not UTF-8)"_ns, "NSDebugDescription"_ns);
  return NSError::errorWithDomain_code_userInfo(NSString::stringWithUTF8String(NSCocoaErrorDomain),
                                                NSJSONSerializationErrorCode, info->copyDictionary());
}

// nlohmann has already checked the bytes are well-formed UTF-8. fromUtf8
// drops a leading byte order mark as file decoding should, but inside a JSON
// string U+FEFF is content and must survive.
Ref<NSString> stringFromValidUtf8(const std::string& bytes) {
  std::optional<std::u16string> chars = text::fromUtf8(bytes);
  if (!chars) return nullptr;
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
    chars->insert(chars->begin(), u'\uFEFF');
  return NSString::stringWithCharacters(std::move(*chars));
}

// --- reading ---------------------------------------------------------------

// Builds Foundation values from nlohmann's events with an explicit stack, so
// neither parsing nor building recurses.
class Builder {
 public:
  using json = nlohmann::json;

  explicit Builder(unsigned long options)
      : mutableContainers_(options & NSJSONReadingMutableContainers),
        fragments_(options & NSJSONReadingFragmentsAllowed) {}

  StrongId result() { return std::move(root_); }
  const std::string& error() const { return error_; }

  bool null() { return scalar(StrongId(NSNull::null())); }
  bool boolean(bool v) { return scalar(NSNumber::numberWithBool(v)); }
  bool number_integer(json::number_integer_t v) { return scalar(NSNumber::numberWithInteger(v)); }
  bool number_unsigned(json::number_unsigned_t v) {
    if (v <= static_cast<json::number_unsigned_t>(INT64_MAX))
      return scalar(NSNumber::numberWithInteger(static_cast<NSInteger>(v)));
    return scalar(NSNumber::numberWithDouble(static_cast<double>(v)));
  }
  bool number_float(json::number_float_t v, const std::string&) { return scalar(NSNumber::numberWithDouble(v)); }
  bool string(std::string& v) { return scalar(stringFromValidUtf8(v)); }
  bool binary(json::binary_t&) { return fail("Binary values are not JSON."); }

  bool start_object(std::size_t) {
    if (!open()) return false;
    frames_.push_back(Frame{true, {}, make<NSMutableDictionary>(), nullptr});
    return true;
  }
  bool key(std::string& k) {
    frames_.back().key = stringFromValidUtf8(k);
    return frames_.back().key || fail("Unable to convert a key to text.");
  }
  bool end_object() {
    Frame f = std::move(frames_.back());
    frames_.pop_back();
    if (mutableContainers_) return place(StrongId(f.dictionary));
    return place(f.dictionary->copyDictionary());
  }
  bool start_array(std::size_t) {
    if (!open()) return false;
    frames_.push_back(Frame{false, {}, nullptr, nullptr});
    return true;
  }
  bool end_array() {
    Frame f = std::move(frames_.back());
    frames_.pop_back();
    if (mutableContainers_) return place(make<NSMutableArray>(std::move(f.items)));
    return place(make<NSArray>(std::move(f.items)));
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    // nlohmann's text already names the token and what it expected, for
    // example "...unexpected '}'; expected end of input" for trailing garbage.
    return fail(fmt::format("Invalid JSON around byte {}: {}", position, e.what()));
  }

 private:
  struct Frame {
    bool isObject;
    std::vector<StrongId> items;
    Ref<NSMutableDictionary> dictionary;
    Ref<NSString> key;
  };

  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }
  bool open() {
    if (frames_.size() >= static_cast<std::size_t>(NSJSONSerializationMaxDepth))
      return fail(fmt::format("Too many nested arrays or dictionaries (more than {}).", NSJSONSerializationMaxDepth));
    return true;
  }
  bool scalar(StrongId v) {
    if (!v) return fail("Unable to convert a string to text.");
    if (frames_.empty() && !fragments_)
      return fail("JSON text did not start with array or object and option to allow fragments not set.");
    return place(std::move(v));
  }
  bool place(StrongId v) {
    if (frames_.empty()) {
      root_ = std::move(v);
      return true;
    }
    Frame& f = frames_.back();
    if (f.isObject)
      f.dictionary->setObject_forKey(v, f.key);  // a repeated key keeps its last value
    else
      f.items.push_back(std::move(v));
    return true;
  }

  bool mutableContainers_;
  bool fragments_;
  std::vector<Frame> frames_;
  StrongId root_;
  std::string error_;
};

// --- writing ---------------------------------------------------------------

// The writer is ours rather than nlohmann's dump because the device's output
// differs from it: "/" is escaped, and doubles print in shortest form without
// a forced ".0".
class Writer {
 public:
  explicit Writer(unsigned long options)
      : pretty_(options & NSJSONWritingPrettyPrinted),
        sorted_(options & NSJSONWritingSortedKeys),
        escapeSlash_(!(options & NSJSONWritingWithoutEscapingSlashes)) {}

  bool write(id value, int depth) {
    if (auto* s = objc_cast<NSString>(value)) {
      writeString(s);
      return true;
    }
    if (auto* n = objc_cast<NSNumber>(value)) return writeNumber(n);
    if (objc_cast<NSNull>(value)) {
      out_ += "null";
      return true;
    }
    if (auto* a = objc_cast<NSArray>(value)) {
      if (!enter(depth)) return false;
      out_ += '[';
      bool first = true;
      for (const StrongId& item : *a) {
        separator(first, depth + 1);
        if (!write(item.get(), depth + 1)) return false;
      }
      close(first, depth, ']');
      return true;
    }
    if (auto* d = objc_cast<NSDictionary>(value)) {
      if (!enter(depth)) return false;
      std::vector<StrongId> keys = d->allKeys();
      for (const StrongId& k : keys)
        if (!objc_cast<NSString>(k.get()))
          return fail(fmt::format("Invalid (non-string) key in JSON dictionary ({}).",
                                  class_getName(object_getClass(k.get()))));
      if (sorted_)
        std::stable_sort(keys.begin(), keys.end(), [](const StrongId& a, const StrongId& b) {
          return static_cast<NSString*>(a.get())->characters() < static_cast<NSString*>(b.get())->characters();
        });
      out_ += '{';
      bool first = true;
      for (const StrongId& k : keys) {
        separator(first, depth + 1);
        writeString(static_cast<NSString*>(k.get()));
        out_ += pretty_ ? " : " : ":";
        if (!write(d->objectForKey(k.get()), depth + 1)) return false;
      }
      close(first, depth, '}');
      return true;
    }
    if (!value) return fail("Invalid value (nil) in JSON write.");
    return fail(fmt::format("Invalid type in JSON write ({}).", class_getName(object_getClass(value))));
  }

  std::string take() { return std::move(out_); }
  const std::string& error() const { return error_; }

 private:
  bool fail(std::string message) {
    error_ = std::move(message);
    return false;
  }
  // The depth bound also stops a container that holds itself.
  bool enter(int depth) {
    if (depth >= NSJSONSerializationMaxDepth)
      return fail(fmt::format("Too many nested arrays or dictionaries (more than {}).", NSJSONSerializationMaxDepth));
    return true;
  }
  void newline(int depth) {
    out_ += '\n';
    out_.append(static_cast<std::size_t>(depth) * 2, ' ');
  }
  void separator(bool& first, int depth) {
    if (!first) out_ += ',';
    first = false;
    if (pretty_) newline(depth);
  }
  void close(bool empty, int depth, char bracket) {
    if (pretty_ && !empty) newline(depth);
    out_ += bracket;
  }

  bool writeNumber(const NSNumber* n) {
    switch (n->kind()) {
      case NSNumber::Kind::Bool: out_ += n->boolValue() ? "true" : "false"; return true;
      case NSNumber::Kind::Integer: out_ += fmt::format("{}", n->integerValue()); return true;
      case NSNumber::Kind::Unsigned: out_ += fmt::format("{}", n->unsignedIntegerValue()); return true;
      case NSNumber::Kind::Double: {
        const double d = n->doubleValue();
        if (!std::isfinite(d)) return fail(fmt::format("Invalid number value ({}) in JSON write.", d));
        out_ += fmt::format("{}", d);  // shortest text that reads back as the same double
        return true;
      }
    }
    return fail("Invalid number kind in JSON write.");
  }

  void writeString(const NSString* s) {
    // Lone surrogates have no UTF-8 form; toUtf8 writes U+FFFD for them.
    const std::string bytes = s->UTF8String();
    out_ += '"';
    std::size_t plain = 0;  // start of the run not yet copied
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      const char* escape = nullptr;
      switch (c) {
        case '"': escape = "\\\""; break;
        case '\\': escape = "\\\\"; break;
        case '/': escape = escapeSlash_ ? "\\/" : nullptr; break;
        case '\b': escape = "\\b"; break;
        case '\f': escape = "\\f"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        case '\t': escape = "\\t"; break;
        default: break;
      }
      const bool control = static_cast<unsigned char>(c) < 0x20;
      if (!escape && !control) continue;
      out_.append(bytes, plain, i - plain);
      plain = i + 1;
      if (escape)
        out_ += escape;
      else
        out_ += fmt::format("\\u{:04x}", static_cast<unsigned>(c));
    }
    out_.append(bytes, plain, std::string::npos);
    out_ += '"';
  }

  bool pretty_;
  bool sorted_;
  bool escapeSlash_;
  std::string out_;
  std::string error_;
};

bool isContainer(id object) { return objc_cast<NSArray>(object) || objc_cast<NSDictionary>(object); }

}  // namespace

StrongId NSJSONSerialization::JSONObjectWithData_options_error(const NSData* data, unsigned long options,
                                                               Ref<NSError>* error) {
  if (!data) objc::fatal("JSONObjectWithData:options:error: data parameter is nil");
  Builder builder(options);
  const std::string& bytes = data->bytes();
  // nlohmann's lexer takes a NUL byte for the end of the input, which would
  // let "[1]\0garbage" through. A raw NUL is never valid JSON (inside a
  // string it must be escaped), so it is refused up front.
  if (const std::size_t nul = bytes.find('\0'); nul != std::string::npos) {
    if (error) *error = jsonError(fmt::format("Invalid character (NUL) around byte {}.", nul));
    return nullptr;
  }
  const bool ok = nlohmann::json::sax_parse(bytes.data(), bytes.data() + bytes.size(), &builder,
                                            nlohmann::json::input_format_t::json,
                                            /*strict: the whole input is one value*/ true);
  if (!ok) {
    if (error) *error = jsonError(builder.error().empty() ? "Invalid JSON." : builder.error());
    return nullptr;
  }
  if (error) *error = nullptr;
  return builder.result();
}

Ref<NSData> NSJSONSerialization::dataWithJSONObject_options_error(id object, unsigned long options,
                                                                  Ref<NSError>* error) {
  auto failed = [&](const std::string& why) -> Ref<NSData> {
    if (error) *error = jsonError(why);
    return nullptr;
  };
  if (!(options & NSJSONWritingFragmentsAllowed) && !isContainer(object))
    return failed("Invalid top-level type in JSON write.");
  Writer writer(options);
  if (!writer.write(object, 0)) return failed(writer.error());
  if (error) *error = nullptr;
  return NSData::dataWithBytes(writer.take());
}

bool NSJSONSerialization::isValidJSONObject(id object) {
  if (!isContainer(object)) return false;
  Writer writer(0);
  return writer.write(object, 0);
}
