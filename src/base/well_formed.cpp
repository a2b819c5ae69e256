#include "base/well_formed.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/text.h"

namespace pipedex::xml {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsXmlChar(std::uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
         (cp >= 0x10000 && cp <= 0x10FFFF);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return text::AsciiLower(x) == text::AsciiLower(y);
         });
}

class Checker {
 public:
  explicit Checker(std::string_view text) : t_(text) {}

  std::size_t Run(std::string& reason) {
    Declaration declaration;
    if (std::size_t bad = ReadDeclaration(t_, declaration, reason); bad != kNone) return bad;
    if (declaration.present) p_ = t_.find("?>") + 2;
    while (p_ < t_.size() && !failed_) {
      if (t_[p_] == '<') {
        Markup();
      } else {
        Text();
      }
    }
    if (!failed_ && !stopped_ && !seenRoot_) Error(t_.size(), "No document element found.");
    return failed_ ? Fail(at_, reason) : kNone;
  }

 private:
  std::size_t Fail(std::size_t at, std::string& reason) {
    reason = reason_ + "\r\n";
    return at;
  }
  void Error(std::size_t at, const char* why) {
    if (failed_) return;
    failed_ = true;
    at_ = std::min(at, t_.size());
    reason_ = why;
  }
  // Leaves the rest to the parser (it reports mismatched and unclosed tags itself).
  void Stop() {
    p_ = t_.size();
    stopped_ = true;
  }
  bool At(std::string_view s) const { return t_.compare(p_, s.size(), s) == 0; }
  void SkipSpace() {
    while (p_ < t_.size() && IsSpace(t_[p_])) ++p_;
  }
  std::string_view Name() {
    const std::size_t start = p_;
    if (p_ < t_.size() && IsNameStart(t_[p_]))
      while (++p_ < t_.size() && IsNameChar(t_[p_])) {
      }
    return t_.substr(start, p_ - start);
  }

  // A reference at p_ ('&'): a character reference to an XML character, one of
  // the five predefined entities, or an entity the document type declares.
  void Reference() {
    const std::size_t start = p_++;
    if (p_ < t_.size() && t_[p_] == '#') {
      const bool hex = ++p_ < t_.size() && t_[p_] == 'x';
      if (hex) ++p_;
      std::uint32_t cp = 0;
      std::size_t digits = 0;
      for (; p_ < t_.size() && t_[p_] != ';'; ++p_, ++digits) {
        const char c = t_[p_];
        int v = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (v < 0) return Error(start, "A character reference is not terminated by a semicolon.");
        cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
      }
      if (p_ >= t_.size() || digits == 0) return Error(start, "A character reference is not terminated by a semicolon.");
      ++p_;
      if (!IsXmlChar(cp)) Error(start, "A character reference names a character that XML does not allow.");
      return;
    }
    const std::string_view name = Name();
    if (name.empty() || p_ >= t_.size() || t_[p_] != ';')
      return Error(start, "An ampersand must begin a reference (write &amp; for the character itself).");
    ++p_;
    if (name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot") return;
    if (!std::binary_search(entities_.begin(), entities_.end(), name))
      Error(start, "Reference to an undeclared entity.");
  }

  void Text() {
    const std::size_t start = p_;
    while (p_ < t_.size() && !failed_) {
      const char c = t_[p_];
      if (c == '<') break;
      if (c == '&') {
        if (depth() == 0) return Error(p_, "Text is not allowed outside the root element.");
        Reference();
        continue;
      }
      if (c == ']' && t_.compare(p_, 3, "]]>") == 0) return Error(p_, "The text ']]>' is not allowed in character data.");
      if (depth() == 0 && !IsSpace(c)) return Error(start + (p_ - start), "Text is not allowed outside the root element.");
      ++p_;
    }
  }

  std::size_t depth() const { return open_.size(); }

  void Markup() {
    const std::size_t start = p_;
    if (At("<?")) return ProcessingInstruction();
    if (At("<!--")) return Comment();
    if (At("<![CDATA[")) {
      if (depth() == 0) return Error(start, "A CDATA section is not allowed outside the root element.");
      const std::size_t end = t_.find("]]>", p_ + 9);
      if (end == kNone) return Stop();
      p_ = end + 3;
      return;
    }
    if (At("<!DOCTYPE")) return Doctype();
    if (At("<!")) return Error(start, "Unknown markup declaration.");
    if (At("</")) return EndTag();
    StartTag();
  }

  void ProcessingInstruction() {
    const std::size_t start = p_;
    p_ += 2;
    const std::string_view target = Name();
    if (EqualsNoCase(target, "xml"))
      return Error(start, "The XML declaration is allowed only at the very beginning of the document.");
    const std::size_t end = t_.find("?>", p_);
    if (end == kNone) return Stop();
    p_ = end + 2;
  }

  void Comment() {
    const std::size_t start = p_;
    const std::size_t end = t_.find("-->", p_ + 4);
    if (end == kNone) return Stop();
    const std::size_t dashes = t_.find("--", p_ + 4);
    if (dashes < end)
      return Error(start, "The text '--' is not allowed inside a comment.");
    p_ = end + 3;
  }

  void Doctype() {
    const std::size_t start = p_;
    if (seenDoctype_) return Error(start, "Only one document type declaration is allowed.");
    if (seenRoot_) return Error(start, "The document type declaration must come before the root element.");
    seenDoctype_ = true;
    p_ += 9;
    // Up to the internal subset or the end, past quoted identifiers.
    while (p_ < t_.size() && t_[p_] != '[' && t_[p_] != '>') {
      if (t_[p_] == '"' || t_[p_] == '\'') {
        if (!SkipQuoted()) return Stop();
      } else {
        ++p_;
      }
    }
    if (p_ < t_.size() && t_[p_] == '[') {
      ++p_;
      while (p_ < t_.size() && t_[p_] != ']') {
        if (At("<!--")) {
          std::size_t end = t_.find("-->", p_ + 4);
          if (end == kNone) return Stop();
          p_ = end + 3;
        } else if (At("<?")) {
          std::size_t end = t_.find("?>", p_ + 2);
          if (end == kNone) return Stop();
          p_ = end + 2;
        } else if (At("<!")) {
          const bool entity = At("<!ENTITY");
          p_ += 2;
          if (entity) {
            p_ += 6;
            SkipSpace();
            if (p_ < t_.size() && t_[p_] != '%') entities_.push_back(Name());
          }
          while (p_ < t_.size() && t_[p_] != '>') {
            if (t_[p_] == '"' || t_[p_] == '\'') {
              if (!SkipQuoted()) return Stop();
            } else {
              ++p_;
            }
          }
          ++p_;
        } else {
          ++p_;
        }
      }
      ++p_;
      SkipSpace();
    }
    if (p_ >= t_.size() || t_[p_] != '>') return Stop();
    ++p_;
    std::sort(entities_.begin(), entities_.end());  // looked up by every reference
  }

  bool SkipQuoted() {
    const std::size_t end = t_.find(t_[p_], p_ + 1);
    if (end == kNone) return false;
    p_ = end + 1;
    return true;
  }

  void StartTag() {
    const std::size_t start = p_++;
    const std::string_view name = Name();
    if (name.empty()) return Stop();
    if (depth() == 0 && seenRoot_) return Error(start, "Only one root element is allowed.");
    attributes_.clear();
    while (p_ < t_.size() && !failed_) {
      const bool spaced = p_ < t_.size() && IsSpace(t_[p_]);
      SkipSpace();
      if (At("/>") || At(">")) {
        if (std::size_t repeated = RepeatedAttribute(); repeated != kNone)
          return Error(repeated, "An attribute may appear only once in an element.");
        const bool empty = At("/>");
        p_ += empty ? 2 : 1;
        seenRoot_ = true;
        if (!empty) open_.push_back(name);
        return;
      }
      const std::size_t attributeAt = p_;
      const std::string_view attribute = Name();
      if (attribute.empty() || !spaced) return Stop();
      attributes_.emplace_back(attribute, attributeAt);
      SkipSpace();
      if (p_ >= t_.size() || t_[p_] != '=') return Stop();
      ++p_;
      SkipSpace();
      if (p_ >= t_.size() || (t_[p_] != '"' && t_[p_] != '\'')) return Stop();
      const char quote = t_[p_++];
      while (p_ < t_.size() && t_[p_] != quote && !failed_) {
        if (t_[p_] == '<') return Error(p_, "The character '<' is not allowed in an attribute value.");
        if (t_[p_] == '&') {
          Reference();
        } else {
          ++p_;
        }
      }
      if (failed_) return;
      if (p_ >= t_.size()) return Stop();
      ++p_;
    }
    Stop();
  }

  // The offset of the first attribute of the element that repeats an earlier
  // one's name; npos when none does. Sorting keeps an element with very many
  // attributes from costing the square of their number.
  std::size_t RepeatedAttribute() {
    std::sort(attributes_.begin(), attributes_.end());
    std::size_t first = kNone;
    for (std::size_t i = 1; i < attributes_.size(); ++i)
      if (attributes_[i].first == attributes_[i - 1].first) first = std::min(first, attributes_[i].second);
    return first;
  }

  void EndTag() {
    p_ += 2;
    const std::string_view name = Name();
    SkipSpace();
    if (open_.empty() || name != open_.back() || p_ >= t_.size() || t_[p_] != '>') return Stop();
    ++p_;
    open_.pop_back();
  }

  std::string_view t_;
  std::size_t p_ = 0;
  bool failed_ = false, stopped_ = false, seenRoot_ = false, seenDoctype_ = false;
  std::size_t at_ = 0;
  std::string reason_;
  std::vector<std::string_view> open_, entities_;
  std::vector<std::pair<std::string_view, std::size_t>> attributes_;  // name, offset
};

// Reads Eq and a quoted value at p; false when they are not there.
bool QuotedValue(std::string_view t, std::size_t& p, std::string_view& value) {
  while (p < t.size() && IsSpace(t[p])) ++p;
  if (p >= t.size() || t[p] != '=') return false;
  ++p;
  while (p < t.size() && IsSpace(t[p])) ++p;
  if (p >= t.size() || (t[p] != '"' && t[p] != '\'')) return false;
  const std::size_t end = t.find(t[p], p + 1);
  if (end == kNone) return false;
  value = t.substr(p + 1, end - p - 1);
  p = end + 1;
  return true;
}

bool SoundVersion(std::string_view v) {
  return v.size() > 2 && v.substr(0, 2) == "1." && std::all_of(v.begin() + 2, v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool SoundEncodingName(std::string_view v) {
  if (v.empty() || !((v[0] >= 'a' && v[0] <= 'z') || (v[0] >= 'A' && v[0] <= 'Z'))) return false;
  return std::all_of(v.begin(), v.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
  });
}

}  // namespace

std::size_t ReadDeclaration(std::string_view t, Declaration& d, std::string& reason) {
  d = {};
  if (t.compare(0, 5, "<?xml") != 0 || t.size() < 6 || !(IsSpace(t[5]) || t.compare(5, 2, "?>") == 0)) return kNone;
  d.present = true;
  const std::size_t end = t.find("?>");
  auto fail = [&](std::size_t at, const char* why) {
    reason = std::string(why) + "\r\n";
    return at;
  };
  if (end == kNone) return fail(0, "The XML declaration is not closed.");
  const std::string_view decl = t.substr(0, end);
  std::size_t p = 5;
  int stage = 0;  // pseudo-attributes read so far: version, then encoding, then standalone
  while (true) {
    const std::size_t before = p;
    while (p < decl.size() && IsSpace(decl[p])) ++p;
    if (p >= decl.size()) break;
    if (p == before) return fail(p, "The XML declaration is malformed.");
    std::size_t nameEnd = p;
    while (nameEnd < decl.size() && IsNameChar(decl[nameEnd])) ++nameEnd;
    const std::string_view name = decl.substr(p, nameEnd - p);
    std::string_view value;
    const std::size_t at = p;
    p = nameEnd;
    if (!QuotedValue(decl, p, value)) return fail(at, "The XML declaration is malformed.");
    if (name == "version" && stage == 0) {
      if (!SoundVersion(value)) return fail(at, "The XML declaration names a version other than 1.x.");
      d.version = value;
      stage = 1;
    } else if (name == "encoding" && stage == 1) {
      if (!SoundEncodingName(value)) return fail(at, "The XML declaration names an encoding that is not a valid name.");
      d.encoding = value;
      stage = 2;
    } else if (name == "standalone" && stage >= 1 && stage < 3) {
      if (value != "yes" && value != "no") return fail(at, "The standalone value of the XML declaration must be yes or no.");
      d.standalone = value;
      stage = 3;
    } else {
      return fail(at, stage == 0 ? "The XML declaration must begin with a version." : "The XML declaration is malformed.");
    }
  }
  if (stage == 0) return fail(0, "The XML declaration must begin with a version.");
  return kNone;
}

std::size_t CheckWellFormed(std::string_view text, std::string& reason) { return Checker(text).Run(reason); }

}  // namespace pipedex::xml
