#include "base/well_formed.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "base/text.h"

namespace pipedex::xml {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::uint32_t kNotCharacter = 0xFFFFFFFF;

// The parser's own words for the faults of structure it used to report itself.
constexpr const char* kBadStartTag = "Error parsing start element tag";
constexpr const char* kBadAttribute = "Error parsing element attribute";
constexpr const char* kBadEndTag = "Error parsing end element tag";
constexpr const char* kMismatch = "Start-end tags mismatch";
constexpr const char* kBadComment = "Error parsing comment";
constexpr const char* kBadCdata = "Error parsing CDATA section";
constexpr const char* kBadInstruction = "Error parsing document declaration/processing instruction";
constexpr const char* kBadDoctype = "Error parsing document type declaration";
constexpr const char* kBadNameCharacter = "A name holds a character that XML does not allow in names.";
constexpr const char* kBadAmpersand = "An ampersand must begin a reference (write &amp; for the character itself).";
// Content models nest no deeper than this (the check recurses into them).
constexpr int kMaxModelDepth = 2048;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameChar(char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_' || c == ':' || c == '-' || c == '.'; }


// The character of UTF-8 text at p and its length in bytes (kNotCharacter
// and a length of 1 for a byte that does not begin a whole character).
std::uint32_t CodeAt(std::string_view t, std::size_t p, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(t[p]);
  length = 1;
  if (lead < 0x80) return lead;
  const std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (n == 0 || p + n > t.size()) return kNotCharacter;
  std::uint32_t code = lead & (0x7Fu >> n);
  for (std::size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(t[p + i]);
    if ((b & 0xC0) != 0x80) return kNotCharacter;
    code = code << 6 | (b & 0x3Fu);
  }
  length = n;
  return code;
}

bool IsXmlChar(std::uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
         (cp >= 0x10000 && cp <= 0x10FFFF);
}

bool IsPubidChar(char c, char quote) {
  return IsAsciiLetter(c) || IsDigit(c) || c == ' ' || c == '\r' || c == '\n' ||
         std::string_view("-()+,./:=?;!*#@$_%").find(c) != kNone || (c == '\'' && quote == '"');
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
    if (!open_.empty()) Error(t_.size(), kMismatch);  // an element left open
    if (!seenRoot_) Error(t_.size(), "No document element found.");
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
  bool At(std::string_view s) const { return t_.compare(p_, s.size(), s) == 0; }
  bool AtChar(char c) const { return p_ < t_.size() && t_[p_] == c; }
  // Skips blanks; true when there was at least one.
  bool SkipSpace() {
    const std::size_t start = p_;
    while (p_ < t_.size() && IsSpace(t_[p_])) ++p_;
    return p_ > start;
  }
  // Blanks that must be there; a fault `why` at p_ when there are none.
  bool RequireSpace(const char* why) {
    if (SkipSpace()) return true;
    Error(p_, why);
    return false;
  }
  // The character c that must come at p_, stepped over; a fault `why` when it is not there.
  bool Expect(char c, const char* why) {
    if (AtChar(c)) return ++p_, true;
    Error(p_, why);
    return false;
  }
  // A name at p_ (a name token, which may begin with any name character, with
  // token set); "" when none begins there. A character after it that is not
  // ASCII can only be one that XML does not allow in names: a fault.
  std::string_view Name(bool token = false) {
    const std::size_t start = p_;
    while (p_ < t_.size()) {
      if (const char c = t_[p_]; static_cast<unsigned char>(c) < 0x80) {
        if (!(p_ == start && !token ? IsNameStartCharacter(static_cast<unsigned char>(c)) : IsNameChar(c))) break;
        ++p_;
        continue;
      }
      std::size_t length = 1;
      const std::uint32_t code = CodeAt(t_, p_, length);
      if (!(p_ == start && !token ? IsNameStartCharacter(code) : IsNameCharacter(code))) {
        Error(p_, kBadNameCharacter);
        break;
      }
      p_ += length;
    }
    return t_.substr(start, p_ - start);
  }
  // A name that must be at p_; "" with a fault `why` when none is.
  std::string_view RequireName(const char* why, bool token = false) {
    const std::string_view name = Name(token);
    if (name.empty()) Error(p_, why);
    return failed_ ? std::string_view() : name;
  }

  // A reference at p_ ('&'): a character reference to an XML character, one of
  // the five predefined entities, or (with declared set) an entity that the
  // document type declares.
  void Reference(bool declared = true) {
    const std::size_t start = p_++;
    if (AtChar('#')) {
      const bool hex = ++p_ < t_.size() && t_[p_] == 'x';
      if (hex) ++p_;
      std::uint32_t cp = 0;
      std::size_t digits = 0;
      for (; p_ < t_.size() && t_[p_] != ';'; ++p_, ++digits) {
        const char c = t_[p_];
        int v = IsDigit(c) ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (v < 0) return Error(start, "A character reference is not terminated by a semicolon.");
        cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
      }
      if (p_ >= t_.size() || digits == 0) return Error(start, "A character reference is not terminated by a semicolon.");
      ++p_;
      if (!IsXmlChar(cp)) Error(start, "A character reference names a character that XML does not allow.");
      return;
    }
    const std::string_view name = Name();
    if (failed_) return;
    if (name.empty() || p_ >= t_.size() || t_[p_] != ';') return Error(start, kBadAmpersand);
    ++p_;
    if (!declared || name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot") return;
    if (entities_.count(name) == 0) Error(start, "Reference to an undeclared entity.");
  }

  void Text() {
    while (p_ < t_.size() && !failed_) {
      const char c = t_[p_];
      if (c == '<') break;
      if (depth() == 0 && !IsSpace(c)) return Error(p_, "Text is not allowed outside the root element.");
      if (c == '&') {
        Reference();
        continue;
      }
      if (c == ']' && t_.compare(p_, 3, "]]>") == 0) return Error(p_, "The text ']]>' is not allowed in character data.");
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
      if (end == kNone) return Error(start, kBadCdata);
      p_ = end + 3;
      return;
    }
    if (At("<!DOCTYPE")) return Doctype();
    if (At("<!")) return Error(start, "Unknown markup declaration.");
    if (At("</")) return EndTag();
    StartTag();
  }

  // A processing instruction: a target that is a name other than "xml" in any
  // letter case, then nothing or blanks and any text, up to "?>".
  void ProcessingInstruction() {
    const std::size_t start = p_;
    p_ += 2;
    const std::string_view target = RequireName(kBadInstruction);
    if (failed_) return;
    if (EqualsNoCase(target, "xml"))
      return Error(start, "The XML declaration is allowed only at the very beginning of the document.");
    if (!At("?>") && !RequireSpace(kBadInstruction)) return;
    const std::size_t end = t_.find("?>", p_);
    if (end == kNone) return Error(start, kBadInstruction);
    p_ = end + 2;
  }

  void Comment() {
    const std::size_t start = p_;
    const std::size_t end = t_.find("-->", p_ + 4);
    if (end == kNone) return Error(start, kBadComment);
    const std::size_t dashes = t_.find("--", p_ + 4);
    if (dashes < end) return Error(start, "The text '--' is not allowed inside a comment.");
    p_ = end + 3;
  }

  // <!DOCTYPE name [external identifier] [internal subset]>, each part read in
  // full: any text the declaration does not allow is a fault.
  void Doctype() {
    const std::size_t start = p_;
    if (seenDoctype_) return Error(start, "Only one document type declaration is allowed.");
    if (seenRoot_) return Error(start, "The document type declaration must come before the root element.");
    seenDoctype_ = true;
    p_ += 9;
    if (!RequireSpace(kBadDoctype) || RequireName(kBadDoctype).empty()) return;
    const bool spaced = SkipSpace();
    if (At("SYSTEM") || At("PUBLIC")) {
      if (!spaced) return Error(p_, kBadDoctype);
      if (!ExternalId(false)) return;
      SkipSpace();
    }
    if (AtChar('[')) {
      InternalSubset();
      if (failed_) return;
      SkipSpace();
    }
    Expect('>', kBadDoctype);
  }

  // SYSTEM "literal" or PUBLIC "public id" "literal"; a notation may give the
  // public identifier alone (publicAlone).
  bool ExternalId(bool publicAlone) {
    const bool isPublic = At("PUBLIC");
    if (!isPublic && !At("SYSTEM")) return Error(p_, kBadDoctype), false;
    p_ += 6;
    if (!RequireSpace(kBadDoctype)) return false;
    if (isPublic) {
      if (!Quoted(kBadDoctype, true)) return false;
      const std::size_t before = p_;
      const bool spaced = SkipSpace();
      if (publicAlone && (!spaced || !(AtChar('"') || AtChar('\'')))) return p_ = before, true;
      if (!spaced) return Error(p_, kBadDoctype), false;
    }
    return Quoted(kBadDoctype, false);
  }

  // A quoted literal at p_; in a public identifier only the characters one may hold.
  bool Quoted(const char* why, bool publicId) {
    if (!AtChar('"') && !AtChar('\'')) return Error(p_, why), false;
    const char quote = t_[p_];
    const std::size_t end = t_.find(quote, p_ + 1);
    if (end == kNone) return Error(p_, why), false;
    if (publicId)
      for (std::size_t i = p_ + 1; i < end; ++i)
        if (!IsPubidChar(t_[i], quote)) return Error(i, "A public identifier holds a character it may not hold."), false;
    p_ = end + 1;
    return true;
  }

  void InternalSubset() {
    const std::size_t start = p_++;
    while (!failed_) {
      SkipSpace();
      if (p_ >= t_.size()) return Error(start, kBadDoctype);
      if (t_[p_] == ']') return void(++p_);
      if (At("<!--")) {
        Comment();
      } else if (At("<?")) {
        ProcessingInstruction();
      } else if (At("<!ELEMENT")) {
        ElementDeclaration();
      } else if (At("<!ATTLIST")) {
        AttributeListDeclaration();
      } else if (At("<!ENTITY")) {
        EntityDeclaration();
      } else if (At("<!NOTATION")) {
        NotationDeclaration();
      } else if (AtChar('%')) {
        const std::size_t at = p_++;
        const std::string_view name = RequireName(kBadDoctype);
        if (!failed_ && !Expect(';', kBadDoctype)) return;
        if (!failed_ && parameterEntities_.count(name) == 0) Error(at, "Reference to an undeclared entity.");
      } else {
        Error(p_, kBadDoctype);
      }
    }
  }

  // The closing '>' of a markup declaration, after optional blanks.
  void EndDeclaration() {
    SkipSpace();
    Expect('>', kBadDoctype);
  }

  void ElementDeclaration() {
    p_ += 9;
    if (!RequireSpace(kBadDoctype) || RequireName(kBadDoctype).empty() || !RequireSpace(kBadDoctype)) return;
    if (At("EMPTY")) {
      p_ += 5;
    } else if (At("ANY")) {
      p_ += 3;
    } else if (Expect('(', kBadDoctype)) {
      SkipSpace();
      if (At("#PCDATA")) {
        MixedContent();
      } else {
        ContentGroup(1);
      }
    }
    if (!failed_) EndDeclaration();
  }

  // (#PCDATA) or (#PCDATA | name | ...)*, after the opening parenthesis.
  void MixedContent() {
    p_ += 7;
    SkipSpace();
    bool names = false;
    while (!failed_ && AtChar('|')) {
      ++p_;
      SkipSpace();
      if (RequireName(kBadDoctype).empty()) return;
      SkipSpace();
      names = true;
    }
    if (!Expect(')', kBadDoctype)) return;
    if (names) {
      Expect('*', kBadDoctype);
    } else if (AtChar('*')) {
      ++p_;
    }
  }

  // A choice (a | b) or sequence (a, b) of content particles, after its
  // opening parenthesis and blanks, with its closing one and its repetition.
  void ContentGroup(int level) {
    if (level > kMaxModelDepth) return Error(p_, "A content model nests too deeply.");
    char separator = 0;
    while (!failed_) {
      if (AtChar('(')) {
        ++p_;
        SkipSpace();
        ContentGroup(level + 1);
      } else if (!RequireName(kBadDoctype).empty()) {
        Repetition();
      }
      if (failed_) return;
      SkipSpace();
      if (AtChar(')')) break;
      if (!(AtChar('|') || AtChar(',')) || (separator != 0 && t_[p_] != separator)) return Error(p_, kBadDoctype);
      separator = t_[p_++];
      SkipSpace();
    }
    if (failed_) return;
    ++p_;
    Repetition();
  }
  void Repetition() {
    if (AtChar('?') || AtChar('*') || AtChar('+')) ++p_;
  }

  void AttributeListDeclaration() {
    p_ += 9;
    if (!RequireSpace(kBadDoctype) || RequireName(kBadDoctype).empty()) return;
    while (!failed_) {
      const bool spaced = SkipSpace();
      if (AtChar('>')) return void(++p_);
      if (!spaced) return Error(p_, kBadDoctype);
      if (RequireName(kBadDoctype).empty() || !RequireSpace(kBadDoctype)) return;
      AttributeType();
      if (failed_ || !RequireSpace(kBadDoctype)) return;
      if (At("#REQUIRED")) {
        p_ += 9;
      } else if (At("#IMPLIED")) {
        p_ += 8;
      } else {
        if (At("#FIXED")) {
          p_ += 6;
          if (!RequireSpace(kBadDoctype)) return;
        }
        AttributeValue();
      }
    }
  }

  void AttributeType() {
    for (std::string_view type : {"CDATA", "IDREFS", "IDREF", "ID", "ENTITIES", "ENTITY", "NMTOKENS", "NMTOKEN"})
      if (At(type)) return void(p_ += type.size());
    const bool notation = At("NOTATION");
    if (notation) {
      p_ += 8;
      if (!RequireSpace(kBadDoctype)) return;
    }
    if (!Expect('(', kBadDoctype)) return;
    while (!failed_) {
      SkipSpace();
      if (RequireName(kBadDoctype, !notation).empty()) return;
      SkipSpace();
      if (AtChar(')')) return void(++p_);
      if (!Expect('|', kBadDoctype)) return;
    }
  }

  void EntityDeclaration() {
    p_ += 8;
    if (!RequireSpace(kBadDoctype)) return;
    const bool parameter = AtChar('%');
    if (parameter) {
      ++p_;
      if (!RequireSpace(kBadDoctype)) return;
    }
    const std::string_view name = RequireName(kBadDoctype);
    if (failed_ || !RequireSpace(kBadDoctype)) return;
    if (AtChar('"') || AtChar('\'')) {
      EntityValue();
    } else if (ExternalId(false) && !parameter) {
      const std::size_t before = p_;
      if (SkipSpace() && At("NDATA")) {
        p_ += 5;
        if (!RequireSpace(kBadDoctype)) return;
        RequireName(kBadDoctype);
      } else {
        p_ = before;
      }
    }
    if (failed_) return;
    (parameter ? parameterEntities_ : entities_).insert(name);
    EndDeclaration();
  }

  // The quoted replacement text of an entity: references in it are read but
  // not looked up, and parameter entities may not be referred to in the
  // internal subset's declarations.
  void EntityValue() {
    const char quote = t_[p_++];
    while (!failed_ && p_ < t_.size() && t_[p_] != quote) {
      if (t_[p_] == '%') return Error(p_, "A parameter entity reference is not allowed inside a declaration.");
      if (t_[p_] == '&') {
        Reference(false);
      } else {
        ++p_;
      }
    }
    if (!failed_) Expect(quote, kBadDoctype);
  }

  void NotationDeclaration() {
    p_ += 10;
    if (!RequireSpace(kBadDoctype) || RequireName(kBadDoctype).empty() || !RequireSpace(kBadDoctype)) return;
    if (ExternalId(true)) EndDeclaration();
  }

  // A quoted attribute value at p_: no '<', and every '&' a sound reference.
  void AttributeValue() {
    if (!AtChar('"') && !AtChar('\'')) return Error(p_, kBadAttribute);
    const std::size_t start = p_;
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
    if (p_ >= t_.size()) return Error(start, kBadAttribute);
    ++p_;
  }

  void StartTag() {
    const std::size_t start = p_++;
    const std::string_view name = RequireName(kBadStartTag);
    if (failed_) return;
    if (depth() == 0 && seenRoot_) return Error(start, "Only one root element is allowed.");
    attributes_.clear();
    while (!failed_) {
      const bool spaced = SkipSpace();
      if (At("/>") || At(">")) {
        if (std::size_t repeated = RepeatedAttribute(); repeated != kNone)
          return Error(repeated, "An attribute may appear only once in an element.");
        const bool empty = At("/>");
        p_ += empty ? 2 : 1;
        seenRoot_ = true;
        if (!empty) open_.push_back(name);
        return;
      }
      if (p_ >= t_.size()) return Error(start, kBadStartTag);
      if (!spaced) return Error(p_, kBadStartTag);
      const std::size_t attributeAt = p_;
      const std::string_view attribute = RequireName(kBadAttribute);
      if (failed_) return;
      attributes_.emplace_back(attribute, attributeAt);
      SkipSpace();
      if (!Expect('=', kBadAttribute)) return;
      SkipSpace();
      AttributeValue();
    }
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
    const std::size_t nameAt = p_;
    const std::string_view name = Name();
    if (failed_) return;
    if (open_.empty() || name != open_.back()) return Error(nameAt, kMismatch);
    SkipSpace();
    if (!Expect('>', kBadEndTag)) return;
    open_.pop_back();
  }

  std::string_view t_;
  std::size_t p_ = 0;
  bool failed_ = false, seenRoot_ = false, seenDoctype_ = false;
  std::size_t at_ = 0;
  std::string reason_;
  std::vector<std::string_view> open_;
  std::set<std::string_view> entities_, parameterEntities_;
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

bool IsNameStartCharacter(char32_t c) {
  if (c < 0x80) return IsAsciiLetter(static_cast<char>(c)) || c == '_' || c == ':';
  return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameCharacter(char32_t c) {
  if (c < 0x80) return IsNameChar(static_cast<char>(c));
  return IsNameStartCharacter(c) || c == 0xB7 || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

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
