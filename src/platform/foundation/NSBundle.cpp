#include "platform/foundation/NSBundle.h"

#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <optional>

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSValue.h"
#include "platform/foundation/text/encoding.h"

namespace fs = std::filesystem;

namespace {

// --- strings tables ----------------------------------------------------------

std::optional<std::u16string> decodeStringsFile(std::string_view bytes) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const bool little = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
  const bool big = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
  if (!little && !big) return text::fromUtf8(bytes);
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string out;
  out.reserve(bytes.size() / 2 - 1);
  for (std::size_t i = 2; i < bytes.size(); i += 2)
    out.push_back(static_cast<char16_t>(little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1)));
  return out;
}

class StringsParser {
 public:
  explicit StringsParser(std::u16string_view s) : s_(s) {}

  Ref<NSDictionary> parse() {
    auto table = make<NSMutableDictionary>();
    while (true) {
      if (!skipSpaceAndComments()) return nullptr;
      if (i_ == s_.size()) break;
      std::optional<std::u16string> key = token();
      if (!key || !skipSpaceAndComments() || i_ == s_.size()) return nullptr;
      std::optional<std::u16string> value;
      if (s_[i_] == u'=') {
        ++i_;
        if (!skipSpaceAndComments() || !(value = token()) || !skipSpaceAndComments() || i_ == s_.size()) return nullptr;
      } else {
        value = key;  // `"key";` stands for `"key" = "key";`
      }
      if (s_[i_] != u';') return nullptr;
      ++i_;
      table->setObject_forKey(NSString::stringWithCharacters(std::move(*value)),
                              NSString::stringWithCharacters(std::move(*key)));
    }
    return table->copyDictionary();
  }

 private:
  static bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\u00A0' ||
           c == u'\u2028' || c == u'\u2029' || c == u'\uFEFF';
  }
  static bool isUnquoted(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'.';
  }
  static int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  }

  // False on an unterminated block comment.
  bool skipSpaceAndComments() {
    while (i_ < s_.size()) {
      if (isSpace(s_[i_])) {
        ++i_;
      } else if (s_.substr(i_, 2) == u"/*") {
        const std::size_t end = s_.find(u"*/", i_ + 2);
        if (end == std::u16string_view::npos) return false;
        i_ = end + 2;
      } else if (s_.substr(i_, 2) == u"//") {
        const std::size_t end = s_.find_first_of(u"\n\r\u2028\u2029", i_ + 2);
        i_ = end == std::u16string_view::npos ? s_.size() : end;
      } else {
        break;
      }
    }
    return true;
  }

  std::optional<std::u16string> token() {
    if (i_ >= s_.size()) return std::nullopt;
    if (s_[i_] == u'"') return quoted();
    const std::size_t start = i_;
    while (i_ < s_.size() && isUnquoted(s_[i_])) ++i_;
    if (i_ == start) return std::nullopt;
    return std::u16string(s_.substr(start, i_ - start));
  }

  std::optional<std::u16string> quoted() {
    std::u16string out;
    ++i_;  // the opening quote
    while (i_ < s_.size()) {
      const char16_t c = s_[i_++];
      if (c == u'"') return out;
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (i_ == s_.size()) return std::nullopt;
      const char16_t e = s_[i_++];
      switch (e) {
        case u'a': out.push_back(u'\a'); break;
        case u'b': out.push_back(u'\b'); break;
        case u'f': out.push_back(u'\f'); break;
        case u'n': out.push_back(u'\n'); break;
        case u'r': out.push_back(u'\r'); break;
        case u't': out.push_back(u'\t'); break;
        case u'v': out.push_back(u'\v'); break;
        case u'U':
        case u'u': {
          unsigned v = 0;
          int digits = 0;
          for (; digits < 4 && i_ < s_.size() && hexValue(s_[i_]) >= 0; ++digits) v = v * 16 + hexValue(s_[i_++]);
          if (digits == 0) return std::nullopt;
          out.push_back(static_cast<char16_t>(v));  // a surrogate pair comes as two escapes
          break;
        }
        default:
          if (e >= u'0' && e <= u'7') {
            unsigned v = e - u'0';
            for (int digits = 1; digits < 3 && i_ < s_.size() && s_[i_] >= u'0' && s_[i_] <= u'7'; ++digits)
              v = v * 8 + (s_[i_++] - u'0');
            out.push_back(static_cast<char16_t>(v));
          } else {
            out.push_back(e);  // \" \\ \' and any other character stand for themselves
          }
      }
    }
    return std::nullopt;  // unterminated
  }

  std::u16string_view s_;
  std::size_t i_ = 0;
};

// --- Info.plist ----------------------------------------------------------------

// Just enough XML for a property list's top-level dictionary: elements,
// comments, processing instructions, a DOCTYPE, and the five named entities
// plus numeric character references.
class PlistReader {
 public:
  explicit PlistReader(std::string_view xml) : x_(xml) {}

  Ref<NSDictionary> parse() {
    Tag tag;
    // Skip the prolog and <plist ...> to the first element inside it.
    do {
      if (!nextTag(tag)) return nullptr;
    } while (tag.name == "plist" && tag.kind == Tag::Open);
    if (tag.name != "dict") return nullptr;
    auto dict = make<NSMutableDictionary>();
    if (tag.kind == Tag::Empty) return dict->copyDictionary();
    while (true) {
      if (!nextTag(tag)) return nullptr;
      if (tag.kind == Tag::Close && tag.name == "dict") return dict->copyDictionary();
      if (tag.kind != Tag::Open || tag.name != "key") return nullptr;
      std::optional<std::string> key = content("key");
      if (!key) return nullptr;
      if (!nextTag(tag)) return nullptr;
      StrongId value;
      if (tag.kind == Tag::Empty) {
        if (tag.name == "true" || tag.name == "false")
          value = NSNumber::numberWithBool(tag.name == "true");
        else if (tag.name == "string")
          value = NSString::string();
      } else if (tag.kind == Tag::Open && (tag.name == "string" || tag.name == "integer")) {
        std::optional<std::string> text = content(tag.name);
        if (!text) return nullptr;
        if (tag.name == "string") {
          value = NSString::stringWithUTF8String(*text);
        } else {
          long long n = 0;
          auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), n);
          if (ec == std::errc() && end == text->data() + text->size()) value = NSNumber::numberWithLongLong(n);
        }
      } else if (tag.kind == Tag::Open) {
        if (!skipElement(tag.name)) return nullptr;  // containers, dates, data: not read
      } else {
        return nullptr;
      }
      Ref<NSString> k = NSString::stringWithUTF8String(*key);
      if (!k) return nullptr;
      if (value) dict->setObject_forKey(value, k);
    }
  }

 private:
  struct Tag {
    enum Kind { Open, Close, Empty } kind = Open;
    std::string name;
  };

  // The next element tag, skipping text, comments, <?...?> and <!...>.
  bool nextTag(Tag& tag) {
    while (true) {
      const std::size_t lt = x_.find('<', i_);
      if (lt == std::string_view::npos) return false;
      if (x_.substr(lt, 4) == "<!--") {
        const std::size_t end = x_.find("-->", lt + 4);
        if (end == std::string_view::npos) return false;
        i_ = end + 3;
        continue;
      }
      const std::size_t gt = x_.find('>', lt);
      if (gt == std::string_view::npos) return false;
      i_ = gt + 1;
      std::string_view inner = x_.substr(lt + 1, gt - lt - 1);
      if (inner.empty() || inner[0] == '?' || inner[0] == '!') continue;
      tag.kind = Tag::Open;
      if (inner[0] == '/') {
        tag.kind = Tag::Close;
        inner.remove_prefix(1);
      } else if (inner.back() == '/') {
        tag.kind = Tag::Empty;
        inner.remove_suffix(1);
      }
      const std::size_t nameEnd = inner.find_first_of(" \t\r\n");
      tag.name = std::string(inner.substr(0, nameEnd));
      return !tag.name.empty();
    }
  }

  // The decoded text up to </name>; nil when other markup comes first.
  std::optional<std::string> content(const std::string& name) {
    const std::size_t lt = x_.find('<', i_);
    if (lt == std::string_view::npos) return std::nullopt;
    const std::string close = "</" + name + ">";
    if (x_.substr(lt, close.size()) != close) return std::nullopt;
    std::optional<std::string> text = decodeEntities(x_.substr(i_, lt - i_));
    i_ = lt + close.size();
    return text;
  }

  bool skipElement(const std::string& name) {
    int depth = 1;
    Tag tag;
    while (depth > 0) {
      if (!nextTag(tag)) return false;
      if (tag.kind == Tag::Open) ++depth;
      if (tag.kind == Tag::Close) --depth;
    }
    return tag.name == name;
  }

  static std::optional<std::string> decodeEntities(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
      if (s[i] != '&') {
        out += s[i++];
        continue;
      }
      const std::size_t semi = s.find(';', i);
      if (semi == std::string_view::npos) return std::nullopt;
      const std::string_view entity = s.substr(i + 1, semi - i - 1);
      i = semi + 1;
      if (entity == "lt")
        out += '<';
      else if (entity == "gt")
        out += '>';
      else if (entity == "amp")
        out += '&';
      else if (entity == "quot")
        out += '"';
      else if (entity == "apos")
        out += '\'';
      else if (entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x' || entity[1] == 'X';
        std::string_view digits = entity.substr(hex ? 2 : 1);
        unsigned long cp = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
        if (ec != std::errc() || end != digits.data() + digits.size() || cp == 0 || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
          return std::nullopt;
        std::u16string unit;
        if (cp >= 0x10000) {
          unit.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
          unit.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
          unit.push_back(static_cast<char16_t>(cp));
        }
        out += text::toUtf8(unit);
      } else {
        return std::nullopt;
      }
    }
    return out;
  }

  std::string_view x_;
  std::size_t i_ = 0;
};

// --- files and the bundle registry -------------------------------------------------

Ref<NSDictionary> readFile(const fs::path& file, Ref<NSDictionary> (*parse)(std::string_view)) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return nullptr;
  Ref<NSData> data = NSData::dataWithContentsOfFile(file.string());
  return data ? parse(data->bytes()) : nullptr;
}

std::string normalised(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Bundles by path, kept for the process's life (callers hold plain pointers
// to the main bundle). Heap-allocated and never destroyed, so that no bundle
// is released after the run time has shut down at exit.
struct Registry {
  std::mutex lock;
  std::unordered_map<std::string, Ref<NSBundle>> bundles;
  std::optional<std::string> mainPath;  // unset: the current directory
};
Registry& registry() {
  static Registry* r = new Registry();
  return *r;
}

NSBundle* bundleAt(Registry& r, const std::string& path) {
  // Caller holds r.lock.
  Ref<NSBundle>& slot = r.bundles[path];
  if (!slot) slot = make<NSBundle>(NSString::stringWithUTF8String(path));
  return slot.get();
}

}  // namespace

Ref<NSDictionary> NSBundleParseStringsTable(std::string_view bytes) {
  std::optional<std::u16string> text = decodeStringsFile(bytes);
  if (!text) return nullptr;
  return StringsParser(*text).parse();
}

Ref<NSDictionary> NSBundleParseInfoPlist(std::string_view xml) { return PlistReader(xml).parse(); }

Ref<NSBundle> NSBundle::bundleWithPath(const NSString* path) {
  if (!path || path->length() == 0) return nullptr;
  const std::string p = normalised(path->fileSystemRepresentation());
  std::error_code ec;
  if (!fs::is_directory(p, ec) || ::access(p.c_str(), R_OK | X_OK) != 0) return nullptr;
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  return Ref<NSBundle>(bundleAt(r, p));
}

NSBundle* NSBundle::mainBundle() {
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  if (!r.mainPath) {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    r.mainPath = ec ? std::string(".") : cwd.string();
  }
  return bundleAt(r, *r.mainPath);
}

void NSBundle::setMainBundlePath(const std::string& path) {
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  r.mainPath = normalised(path);
}

Ref<NSString> NSBundle::pathForResource_ofType(const NSString* name, const NSString* type) const {
  if (!name || name->length() == 0) return nullptr;
  std::string file = name->fileSystemRepresentation();
  if (type && type->length() > 0) file += "." + type->fileSystemRepresentation();
  const fs::path root(utf8(path_.get()));
  for (const fs::path& candidate : {root / file, root / "en.lproj" / file}) {
    std::error_code ec;
    if (fs::exists(candidate, ec)) return NSString::stringWithUTF8String(candidate.string());
  }
  return nullptr;
}

const NSDictionary* NSBundle::table(const NSString* name) const {
  std::lock_guard guard(lock_);
  auto found = tables_.find(name->characters());
  if (found != tables_.end()) return found->second.get();
  const fs::path root(utf8(path_.get()));
  const std::string file = name->UTF8String() + ".strings";
  Ref<NSDictionary> parsed;
  for (const fs::path& candidate : {root / "en.lproj" / file, root / file}) {
    std::error_code ec;
    if (!fs::is_regular_file(candidate, ec)) continue;
    // The first file found is the table, even when malformed (then empty).
    parsed = readFile(candidate, &NSBundleParseStringsTable);
    break;
  }
  if (!parsed) parsed = NSDictionary::dictionary();
  const NSDictionary* result = parsed.get();
  tables_.emplace(name->characters(), std::move(parsed));
  return result;
}

Ref<NSString> NSBundle::localizedStringForKey_value_table(const NSString* key, const NSString* value,
                                                          const NSString* table) const {
  auto fallback = [&]() -> Ref<NSString> {
    if (value && value->length() > 0) return Ref<NSString>(const_cast<NSString*>(value));
    if (key) return Ref<NSString>(const_cast<NSString*>(key));
    return NSString::string();
  };
  if (!key) return fallback();
  Ref<NSString> tableName =
      table && table->length() > 0 ? Ref<NSString>(const_cast<NSString*>(table)) : "Localizable"_ns;
  if (auto* found = objc_cast<NSString>(this->table(tableName)->objectForKey(const_cast<NSString*>(key))))
    return Ref<NSString>(found);
  return fallback();
}

id NSBundle::objectForInfoDictionaryKey(const NSString* key) const {
  if (!key) return nullptr;
  std::lock_guard guard(lock_);
  if (!info_) {
    info_ = readFile(fs::path(utf8(path_.get())) / "Info.plist", &NSBundleParseInfoPlist);
    if (!info_) info_ = NSDictionary::dictionary();
  }
  return info_->objectForKey(const_cast<NSString*>(key));
}
