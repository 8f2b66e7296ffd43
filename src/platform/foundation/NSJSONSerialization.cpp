#include "platform/foundation/NSJSONSerialization.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <simdjson.h>
#include <string>
#include <string_view>
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

// simdjson gives well-formed UTF-8 only: it checks the input and refuses an
// escaped lone surrogate. fromUtf8 drops a leading byte order mark as file
// decoding should, but inside a JSON string U+FEFF is content and must survive.
Ref<NSString> stringFromUtf8(std::string_view bytes) {
  // Most texts in an answer are ASCII: widen them without ICU, in one pass
  // that gives up at the first byte that is not.
  std::u16string ascii(bytes.size(), u'\0');
  std::size_t i = 0;
  for (; i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80; ++i) ascii[i] = static_cast<char16_t>(bytes[i]);
  if (i == bytes.size()) return NSString::stringWithCharacters(std::move(ascii));
  std::optional<std::u16string> chars = text::fromUtf8(bytes);
  if (!chars) return nullptr;
  if (bytes.starts_with("\xEF\xBB\xBF")) chars->insert(chars->begin(), u'\uFEFF');
  return NSString::stringWithCharacters(std::move(*chars));
}

// --- reading ---------------------------------------------------------------

// A number, null or string as one Foundation value; nil for a string that
// is not text.
StrongId scalarValue(simdjson::dom::element element) {
  switch (element.type()) {
    case simdjson::dom::element_type::NULL_VALUE: return StrongId(NSNull::null());
    case simdjson::dom::element_type::BOOL: return NSNumber::numberWithBool(element.get_bool().value_unsafe());
    case simdjson::dom::element_type::INT64:
      return NSNumber::numberWithInteger(static_cast<NSInteger>(element.get_int64().value_unsafe()));
    case simdjson::dom::element_type::UINT64:  // only values above INT64_MAX come here
      return NSNumber::numberWithDouble(static_cast<double>(element.get_uint64().value_unsafe()));
    case simdjson::dom::element_type::DOUBLE: return NSNumber::numberWithDouble(element.get_double().value_unsafe());
    case simdjson::dom::element_type::STRING: return stringFromUtf8(element.get_string().value_unsafe());
    default: return nullptr;
  }
}

// A parsed answer; the dictionaries read from it lazily keep it alive.
struct ParsedDocument {
  simdjson::dom::document doc;
};
using DocumentRef = std::shared_ptr<const ParsedDocument>;

// Whether a member's name (UTF-8) is the same text as chars, without making
// a string of it for the common ASCII name.
bool sameText(std::string_view utf8, std::u16string_view chars) {
  if (utf8.size() < chars.size()) return false;  // UTF-8 never takes fewer units
  std::size_t i = 0;
  for (; i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80; ++i)
    if (i == chars.size() || chars[i] != static_cast<char16_t>(utf8[i])) return false;
  if (i == utf8.size()) return i == chars.size();
  Ref<NSString> whole = stringFromUtf8(utf8);
  return whole && whole->characters() == chars;
}

StrongId valueOf(const DocumentRef& document, simdjson::dom::element element, bool mutableContainers);

// An object's members, still in the document until they are read.
class DocumentMembers final : public NSDictionaryMembers {
 public:
  DocumentMembers(DocumentRef document, simdjson::dom::object object) : document_(std::move(document)) {
    members_.reserve(object.size());
    for (simdjson::dom::key_value_pair member : object) members_.push_back(member);
  }

  NSUInteger count() const override { return members_.size(); }

  NSUInteger indexOfKey(id key) const override {
    const auto* text = objc_cast<NSString>(key);
    if (!text) return members_.size();  // JSON names are texts only
    NSUInteger found = members_.size();
    for (NSUInteger i = 0; i < members_.size(); ++i)
      if (sameText(members_[i].key, text->characters())) found = i;
    return found;
  }

  StrongId keyAt(NSUInteger index) const override { return checked(stringFromUtf8(members_[index].key)); }
  StrongId valueAt(NSUInteger index) const override { return valueOf(document_, members_[index].value, false); }

  // simdjson gives only well-formed UTF-8 (it refuses an escaped lone
  // surrogate), so a text that does not convert is a fault of the reader.
  static StrongId checked(StrongId value) {
    if (!value) objc::fatal("JSON reader: a text read lazily is not text");
    return value;
  }

 private:
  DocumentRef document_;
  std::vector<simdjson::dom::key_value_pair> members_;
};

// Objects become dictionaries over their members, made on first read, or
// for mutable containers mutable dictionaries made at once; an array is made
// with its items when it is reached, as its users walk it whole. simdjson has
// bounded the depth, so the recursion is bounded too.
StrongId valueOf(const DocumentRef& document, simdjson::dom::element element, bool mutableContainers) {
  switch (element.type()) {
    case simdjson::dom::element_type::OBJECT: {
      const simdjson::dom::object object = element.get_object().value_unsafe();
      if (!mutableContainers) return make<NSDictionary>(std::make_unique<DocumentMembers>(document, object));
      std::vector<StrongId> keys, values;
      for (simdjson::dom::key_value_pair member : object) {
        keys.push_back(DocumentMembers::checked(stringFromUtf8(member.key)));
        values.push_back(valueOf(document, member.value, true));
      }
      return NSMutableDictionary::dictionaryWithObjects_forKeys_count(values.data(), keys.data(), keys.size());
    }
    case simdjson::dom::element_type::ARRAY: {
      const simdjson::dom::array array = element.get_array().value_unsafe();
      std::vector<StrongId> items;
      items.reserve(array.size());
      for (simdjson::dom::element item : array) items.push_back(valueOf(document, item, mutableContainers));
      if (mutableContainers) return make<NSMutableArray>(std::move(items));
      return make<NSArray>(std::move(items));
    }
    default: return DocumentMembers::checked(scalarValue(element));
  }
}

// simdjson refuses an integer beyond 64 bits; the device reads it as a
// double. Such integers get an exponent of zero ("e0"), which makes them
// doubles, and the text is parsed again. Nothing else changes: only digits
// outside strings are looked at.
std::string withBigIntegersAsDoubles(std::string_view json) {
  auto beyond64Bits = [](std::string_view digits, bool negative) {
    const std::string_view limit = negative ? "9223372036854775808" : "18446744073709551615";
    return digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit);
  };
  std::string out;
  out.reserve(json.size() + 16);
  bool inString = false;
  for (std::size_t i = 0; i < json.size();) {
    const char c = json[i];
    if (inString) {
      out += c;
      if (c == '\\' && i + 1 < json.size()) out += json[++i];
      else if (c == '"') inString = false;
      ++i;
    } else if (c == '"') {
      inString = true;
      out += c;
      ++i;
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      const bool negative = c == '-';
      std::size_t end = i + (negative ? 1 : 0);
      const std::size_t digits = end;
      while (end < json.size() && json[end] >= '0' && json[end] <= '9') ++end;
      out.append(json, i, end - i);
      const bool integer = end == json.size() || (json[end] != '.' && json[end] != 'e' && json[end] != 'E');
      if (integer && beyond64Bits(json.substr(digits, end - digits), negative)) out += "e0";
      i = end;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// One parser per thread keeps its buffers between calls. The depth bound makes
// a hostile nesting fail in the parser instead of exhausting the stack.
simdjson::dom::parser& threadParser() {
  thread_local simdjson::dom::parser parser = [] {
    simdjson::dom::parser p;
    if (p.allocate(64 * 1024, NSJSONSerializationMaxDepth) != simdjson::SUCCESS)
      objc::fatal("JSON reader: cannot allocate the parser");
    return p;
  }();
  return parser;
}

// --- writing ---------------------------------------------------------------

// The writer is ours because the device's output differs from the common
// libraries': "/" is escaped, and doubles print in shortest form without
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
  auto failed = [&](const std::string& why) -> StrongId {
    if (error) *error = jsonError(why);
    return nullptr;
  };
  std::string_view bytes = data->bytes();
  // A raw NUL is never valid JSON (inside a string it must be escaped); it is
  // refused up front with its position.
  if (const std::size_t nul = bytes.find('\0'); nul != std::string::npos)
    return failed(fmt::format("Invalid character (NUL) around byte {}.", nul));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);

  // A document of its own, as lazily read values outlive this call.
  auto document = std::make_shared<ParsedDocument>();
  simdjson::dom::element root;
  simdjson::error_code code = threadParser().parse_into_document(document->doc, bytes.data(), bytes.size()).get(root);
  std::string rewritten;
  if (code == simdjson::NUMBER_ERROR) {
    rewritten = withBigIntegersAsDoubles(bytes);
    if (rewritten != bytes)
      code = threadParser().parse_into_document(document->doc, rewritten.data(), rewritten.size()).get(root);
  }
  if (code) return failed(fmt::format("Invalid JSON: {}", simdjson::error_message(code)));
  const auto type = root.type();
  if (!(options & NSJSONReadingFragmentsAllowed) && type != simdjson::dom::element_type::ARRAY &&
      type != simdjson::dom::element_type::OBJECT)
    return failed("JSON text did not start with array or object and option to allow fragments not set.");
  StrongId result = valueOf(document, root, options & NSJSONReadingMutableContainers);
  if (error) *error = nullptr;
  return result;
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
