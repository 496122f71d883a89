#include "cli/json_text.h"

#include <cstdio>
#include <optional>

#include "text/int_text.h"

namespace kx71::cli {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;  // UTF-8 passes through
        }
    }
  }
  return out + "\"";
}

namespace {

class TJsonReader {
 public:
  explicit TJsonReader(std::string_view text) : text_(text) {}

  std::variant<TJsonObject, std::string> Object() {
    TJsonObject object;
    SkipSpace();
    if (!Take('{')) return Fail("expected '{'");
    SkipSpace();
    if (!Take('}')) {
      for (;;) {
        SkipSpace();
        std::string key;
        if (!String(key)) return Fail("expected a field name");
        SkipSpace();
        if (!Take(':')) return Fail("expected ':'");
        SkipSpace();
        TJsonValue value;
        if (Peek() == '"') {
          if (!String(value.text)) return Fail("bad string");
        } else if (!Number(value)) {
          return Fail("field \"" + key + "\" is neither a string nor an integer");
        }
        if (!object.emplace(key, std::move(value)).second) return Fail("field \"" + key + "\" given twice");
        SkipSpace();
        if (Take('}')) break;
        if (!Take(',')) return Fail("expected ',' or '}'");
      }
    }
    SkipSpace();
    if (pos_ != text_.size()) return Fail("text after the object");
    return object;
  }

 private:
  std::string Fail(const std::string& what) const { return what + " at offset " + std::to_string(pos_); }
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool Take(char c) {
    if (Peek() != c || pos_ >= text_.size()) return false;
    ++pos_;
    return true;
  }
  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  bool String(std::string& out) {
    if (!Take('"')) return false;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) return false;
      switch (text_[pos_++]) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          if (pos_ + 4 > text_.size()) return false;
          unsigned code = 0;
          for (int i = 0; i < 4; ++i) {
            const int d = HexDigitValue(text_[pos_++]);
            if (d < 0) return false;
            code = code * 16 + static_cast<unsigned>(d);
          }
          if (code >= 0xD800 && code <= 0xDFFF) return false;  // no field of ours needs other planes
          if (code < 0x80) {
            out += static_cast<char>(code);
          } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
          } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
          }
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool Number(TJsonValue& value) {
    const std::size_t start = pos_;
    Take('-');
    const std::size_t digits = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    const std::size_t count = pos_ - digits;
    // Integers only, no leading zeros, and small enough for any field of ours.
    if (count == 0 || count > 12 || (count > 1 && text_[digits] == '0')) return false;
    if (Peek() == '.' || Peek() == 'e' || Peek() == 'E') return false;
    value.isNumber = true;
    value.number = std::stoll(std::string(text_.substr(start, pos_ - start)));
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::variant<TJsonObject, std::string> ParseFlatJsonObject(std::string_view text) {
  return TJsonReader(text).Object();
}

}  // namespace kx71::cli
