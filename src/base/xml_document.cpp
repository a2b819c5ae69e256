#include "base/xml_document.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>

#include <utf8proc.h>

#include "base/encoding.h"
#include "base/errors.h"
#include "base/files.h"
#include "base/huge_pages.h"
#include "base/seeded_hash.h"
#include "base/sys_calls.h"
#include "base/text.h"
#include "base/well_formed.h"

namespace pipedex::xml {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype;

// The encoding pseudo-attribute of the XML declaration of an 8-bit buffer,
// "" when there is none (a malformed declaration is reported once the text is checked).
std::string DeclaredEncoding(std::string_view bytes) {
  Declaration declaration;
  std::string reason;
  if (ReadDeclaration(bytes.substr(0, std::min<std::size_t>(bytes.size(), 4096)), declaration, reason) !=
      std::string_view::npos)
    return "";
  return std::string(declaration.encoding);
}

// The Unicode encoding of a buffer in UTF-16 or UTF-32, told by its byte order
// mark or, without one, by the way its first "<?" is written; "" for 8-bit
// text. bomLength receives the length of the byte order mark (3 for UTF-8).
std::string UnicodeEncoding(std::string_view b, std::size_t& bomLength) {
  auto at = [&](std::size_t i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0x100u; };
  bomLength = 0;
  if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    bomLength = 3;
    return "";
  }
  if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0) return bomLength = 4, "UTF-32LE";
  if (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF) return bomLength = 4, "UTF-32BE";
  if (at(0) == 0xFF && at(1) == 0xFE) return bomLength = 2, "UTF-16LE";
  if (at(0) == 0xFE && at(1) == 0xFF) return bomLength = 2, "UTF-16BE";
  if (at(0) == '<' && at(1) == 0 && at(2) == 0 && at(3) == 0) return "UTF-32LE";
  if (at(0) == 0 && at(1) == 0 && at(2) == 0 && at(3) == '<') return "UTF-32BE";
  if (at(0) == '<' && at(1) == 0 && at(2) == '?' && at(3) == 0) return "UTF-16LE";
  if (at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) == '?') return "UTF-16BE";
  return "";
}

// Encoding names compare without regard to case, and "UTF16" names what
// "UTF-16" does: hyphens and underscores are left out of the comparison.
std::string FoldedName(std::string_view name) {
  std::string out;
  for (char c : name)
    if (c != '-' && c != '_') out += text::AsciiLower(c);
  return out;
}

bool IsUtf8Name(const std::string& name) {
  const std::string folded = FoldedName(name);
  return folded.empty() || folded == "utf8" || folded == "usascii" || folded == "ascii" ||
         folded.rfind("utf16", 0) == 0 || folded.rfind("utf32", 0) == 0 || folded == "ucs2" ||
         folded == "ucs4";  // a 16- or 32-bit name on 8-bit text: the text is read as UTF-8
}

// Byte offset of the first character XML does not allow in a document (a
// byte sequence that is not UTF-8, a zero byte, a control character other
// than tab, line feed and carriage return, U+FFFE, U+FFFF); npos when none.
std::size_t FirstInvalidCharacter(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
    // Runs of ASCII text, the bulk of a catalogue, eight bytes at a time. For
    // bytes below 0x80, adding 0x60 sets the high bit exactly of those from
    // code 0x20 on, and adding 0x7F to (byte ^ c) exactly of those other than c;
    // no sum carries into the next byte. Tabs and line breaks are allowed.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    auto equal = [&](std::uint64_t word, char c) {
      return ~((word ^ (static_cast<unsigned char>(c) * kOnes)) + 0x7F * kOnes) & kHigh;
    };
    while (pos + 8 <= s.size()) {
      std::uint64_t word;
      std::memcpy(&word, s.data() + pos, 8);
      if ((word & kHigh) != 0) break;
      const std::uint64_t controls = ~(word + 0x60 * kOnes) & kHigh;
      if ((controls & ~(equal(word, '\t') | equal(word, '\n') | equal(word, '\r'))) != 0) break;
      pos += 8;
    }
    if (pos >= s.size()) break;
    auto c = static_cast<unsigned char>(s[pos]);
    if (c >= 0x20 && c < 0x80) {
      ++pos;
      continue;
    }
    if (c < 0x20) {
      if (c != '\t' && c != '\n' && c != '\r') return pos;
      ++pos;
      continue;
    }
    utf8proc_int32_t cp = -1;
    auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data() + pos),
                              static_cast<utf8proc_ssize_t>(s.size() - pos), &cp);
    if (n <= 0 || cp == 0xFFFE || cp == 0xFFFF) return pos;
    pos += static_cast<std::size_t>(n);
  }
  return std::string_view::npos;
}

// Length of the character that FirstInvalidCharacter found at the start of s.
std::size_t InvalidSequenceLength(std::string_view s) {
  utf8proc_int32_t cp = -1;
  auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data()), static_cast<utf8proc_ssize_t>(s.size()),
                            &cp);
  return n > 0 ? static_cast<std::size_t>(n) : 1;
}

// The reason given for a file that exists but cannot be opened or read.
constexpr const char* kAccessDenied = "Access is denied.\r\n";
constexpr const char* kInvalidCharacter = "An invalid character was found in text content.\r\n";

// The source line of an error shows at most this many bytes around the
// error's column, so that a file of one huge line gives a short description.
constexpr std::size_t kMaxSourceShown = 200;
constexpr const char* kCutMark = "...";

// Line number (from 1) and text of the line that holds byte offset pos. A
// carriage return, a line feed and the pair of them each end a line.
void LocateLine(std::string_view buffer, std::ptrdiff_t offset, ParseError& error) {
  const std::size_t pos = std::min<std::size_t>(offset < 0 ? 0 : static_cast<std::size_t>(offset), buffer.size());
  std::size_t line = 1, start = 0;
  for (std::size_t i = 0; i < pos; ++i) {
    const char c = buffer[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= buffer.size() || buffer[i + 1] != '\n'))) {
      ++line;
      start = i + 1;
    }
  }
  std::size_t end = buffer.find_first_of("\r\n", pos);
  if (end == std::string_view::npos) end = buffer.size();
  error.line = static_cast<std::int32_t>(std::min<std::size_t>(line, 0x7fffffff));
  std::size_t column = 1;
  for (std::size_t i = start; i < pos; ++i) column += (static_cast<unsigned char>(buffer[i]) & 0xC0) != 0x80;
  error.column = static_cast<std::int32_t>(std::min<std::size_t>(column, 0x7fffffff));
  // A long line is cut to a window around the error, marked where it was cut
  // (the window's edges move back to the start of a character).
  std::size_t from = start, to = end;
  if (to - from > kMaxSourceShown) {
    from = pos - std::min(pos - start, kMaxSourceShown / 2);
    to = std::min(end, from + kMaxSourceShown);
    from = std::max(start, std::min(from, to > kMaxSourceShown ? to - kMaxSourceShown : 0));
    auto isContinuation = [&](std::size_t i) { return (static_cast<unsigned char>(buffer[i]) & 0xC0) == 0x80; };
    // A character is at most four bytes: bytes that are not UTF-8 (a run of
    // continuation bytes) move an edge no further than that.
    for (int i = 0; i < 3 && from > start && from < buffer.size() && isContinuation(from); ++i) --from;
    for (int i = 0; i < 3 && to < end && to > from && isContinuation(to); ++i) --to;
  }
  std::string_view rest = buffer.substr(from, to - from);
  // The source line becomes part of an error description, which is text:
  // characters that may not stand in a document are shown as U+FFFD.
  std::string shown = from > start ? kCutMark : "";
  for (std::size_t bad = FirstInvalidCharacter(rest); bad != std::string_view::npos; bad = FirstInvalidCharacter(rest)) {
    shown.append(rest.substr(0, bad)).append("\xEF\xBF\xBD");
    rest.remove_prefix(bad + InvalidSequenceLength(rest.substr(bad)));
  }
  shown.append(rest);
  if (to < end) shown += kCutMark;
  error.srcText = std::move(shown);
}

// The declaration a file brings is kept, naming the encoding the document
// now has and is saved in: UTF-8.
void SetDeclaredEncodingUtf8(pugi::xml_document& doc) {
  pugi::xml_node decl = doc.first_child();
  if (decl.type() != pugi::node_declaration) return;
  pugi::xml_attribute encoding = decl.attribute("encoding");
  if (!encoding) encoding = decl.insert_attribute_after("encoding", decl.attribute("version"));
  if (!encoding.set_value("UTF-8")) throw std::bad_alloc();  // the parser's allocator refused
}

// Reads a whole file of at most kMaxFileSize bytes; false when it cannot be
// read or is larger.
bool ReadWholeFile(const std::string& path, std::string& out, bool& tooLarge) {
  const files::ReadStatus status = files::ReadWholeFile(path, kMaxFileSize, out);
  tooLarge = status == files::ReadStatus::TooLarge;
  return status == files::ReadStatus::Ok;
}

// The parser ran out of memory: that is no fault of the file, so it is no
// parse error at a line but the std::bad_alloc any other allocation gives.
void ThrowIfOutOfMemory(pugi::xml_document& doc, const pugi::xml_parse_result& result) {
  if (result.status != pugi::status_out_of_memory) return;
  doc.reset();
  throw std::bad_alloc();
}

// The parser refused what the well-formedness check passed. The check is
// stricter than the parser, so no document comes here; should one ever come,
// it is refused in the parser's own words, at its line.
bool RefusedByParser(pugi::xml_document& doc, const pugi::xml_parse_result& result, std::string_view text,
                     ParseError& error) {
  error.reason = std::string(result.description()) + "\r\n";
  LocateLine(text, result.offset, error);
  doc.reset();
  return false;
}

// The text of a file read again ("" when it cannot be).
std::string ReadAgain(const std::string& path) {
  std::string text;
  bool tooLarge = false;
  ReadWholeFile(path, text, tooLarge);
  return text;
}

void SetTooLarge(ParseError& error) {
  error = {"The file is larger than the " + std::to_string(kMaxFileSize >> 20) + " MiB a catalogue file may have.\r\n", 0,
           "", 0};
}

// Whether the encoding an XML declaration names can be the one its byte order
// mark or its first characters show (`written`: "UTF-8" for a UTF-8 byte
// order mark, "UTF-16LE" and the like).
bool DeclarationAgrees(std::string_view declared, std::string_view written) {
  const std::string name = FoldedName(declared), shown = FoldedName(written);
  if (name.empty() || name == shown) return true;
  return shown.size() > 5 && name == shown.substr(0, 5);  // "UTF-16" for either byte order
}

// The offset of an encoding declaration that contradicts the encoding the
// text was found written in (`written`, "" when only the declaration tells); npos when none does.
std::size_t ContradictedEncoding(std::string_view text, std::string_view written) {
  if (written.empty()) return std::string_view::npos;
  Declaration declaration;
  std::string reason;
  if (ReadDeclaration(text, declaration, reason) != std::string_view::npos || !declaration.present ||
      DeclarationAgrees(declaration.encoding, written))
    return std::string_view::npos;
  return static_cast<std::size_t>(declaration.encoding.data() - text.data());
}

// The checks every UTF-8 text passes before the parser sees it: only XML
// characters, an encoding declaration that agrees with the encoding the text
// was found in (`written`), and well-formed.
bool CheckText(std::string_view text, std::string_view whole, std::size_t offset, std::string_view written,
               ParseError& error) {
  std::size_t bad = FirstInvalidCharacter(text);
  if (bad != std::string_view::npos) {
    error.reason = kInvalidCharacter;
  } else if (bad = ContradictedEncoding(text, written); bad != std::string_view::npos) {
    error.reason = "The XML declaration names another encoding than the one its byte order mark or first characters show.\r\n";
  } else {
    bad = CheckWellFormed(text, error.reason);
  }
  if (bad == std::string_view::npos) return true;
  LocateLine(whole, static_cast<std::ptrdiff_t>(bad + offset), error);
  return false;
}

}  // namespace

bool LoadText(pugi::xml_document& doc, std::string_view bytes, ParseError& error, std::string* parsed) {
  doc.reset();
  // Every document is turned into UTF-8 text first and checked character by
  // character, so that the parser never sees a zero byte (which would end the
  // document early) or bytes that are not text.
  std::string converted;
  std::string_view buffer = bytes;
  std::size_t bomLength = 0;
  std::string from = UnicodeEncoding(bytes, bomLength);
  const std::string written = bomLength == 3 ? "UTF-8" : from;
  buffer.remove_prefix(bomLength);
  if (from.empty() && bomLength == 0) {
    std::string declared = DeclaredEncoding(bytes);
    if (!IsUtf8Name(declared)) from = declared;
  }
  if (!from.empty()) {
    bool unsupported = false;
    std::size_t badAt = 0;
    if (!encoding::ToUtf8(buffer, from, converted, unsupported, badAt)) {
      if (unsupported) {
        error.reason = "The encoding '" + DeclaredEncoding(bytes) + "' is not supported or the text is not in it.\r\n";
        LocateLine(bytes, 0, error);
      } else {
        error.reason = kInvalidCharacter;
        LocateLine(converted, static_cast<std::ptrdiff_t>(badAt), error);
      }
      return false;
    }
    buffer = converted;
  }
  if (!CheckText(buffer, buffer, 0, written, error)) return false;
  if (parsed) parsed->assign(buffer);
  pugi::xml_parse_result result = doc.load_buffer(buffer.data(), buffer.size(), kParseOptions, pugi::encoding_utf8);
  ThrowIfOutOfMemory(doc, result);
  if (!result) return RefusedByParser(doc, result, buffer, error);
  SetDeclaredEncodingUtf8(doc);
  return true;
}

namespace {

void FreeParserBuffer(char* buffer) {
  if (buffer) pugi::get_memory_deallocation_function()(buffer);
}

// Reads an open file into a buffer of the parser's allocator with room for
// `capacity` bytes; readOk false when a read failed (or nothing was allocated).
// When hashed, the content hash of the bytes read is taken on the way, a
// megabyte read at a time and hashed while it is in the cache.
struct ReadResult {
  char* buffer = nullptr;
  std::size_t size = 0;
  bool readOk = false;
  std::uint64_t contentHash = 0;
};
ReadResult ReadIntoParserBuffer(int fd, std::size_t capacity, bool hashed) {
  ReadResult r;
  r.buffer = static_cast<char*>(pugi::get_memory_allocation_function()(capacity));
  r.readOk = r.buffer != nullptr;
  if (r.readOk) memory::PreferHugePages(r.buffer, capacity);
  hashing::ContentHasher hasher;
  const std::size_t chunk = hashed ? 16 * hashing::kContentPiece : capacity;
  while (r.readOk && r.size < capacity) {
    ssize_t n = sys::Read(fd, r.buffer + r.size, std::min(chunk, capacity - r.size));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) r.readOk = false;
    if (n <= 0) break;
    r.size += static_cast<std::size_t>(n);
    if (hashed) hasher.Through(r.buffer, r.size);
  }
  if (hashed && r.readOk) r.contentHash = hasher.Finish(r.buffer, r.size);
  return r;
}

// Reads the whole file into a string and loads that (through LoadText).
bool LoadPlain(pugi::xml_document& doc, const std::string& path, ParseError& error) {
  std::string content;
  bool tooLarge = false;
  if (!ReadWholeFile(path, content, tooLarge)) {
    if (tooLarge) {
      SetTooLarge(error);
    } else {
      error = {kAccessDenied, 0, "", 0, true};
    }
    return false;
  }
  return LoadText(doc, content, error);
}

// Parses UTF-8 text where it lies; the document takes the buffer over. Text in
// another encoding is converted (and checked) by LoadText instead.
bool ParseInPlace(pugi::xml_document& doc, const std::string& path, char* buffer, std::size_t size,
                  ParseError& error) {
  // Freed on every way out, running out of memory among them, until the document takes it over.
  std::unique_ptr<char, void (*)(char*)> owned(buffer, FreeParserBuffer);
  const std::string_view text(buffer, size);
  std::size_t bomLength = 0;
  if (!UnicodeEncoding(text, bomLength).empty() || (bomLength == 0 && !IsUtf8Name(DeclaredEncoding(text)))) {
    std::string copy(text);
    owned.reset();
    return LoadText(doc, copy, error);
  }
  if (!CheckText(text.substr(bomLength), text, bomLength, bomLength == 3 ? "UTF-8" : "", error)) return false;
  pugi::xml_parse_result result =
      doc.load_buffer_inplace_own(owned.release(), size, kParseOptions, pugi::encoding_utf8);
  ThrowIfOutOfMemory(doc, result);
  // The parser has changed the buffer: the failing line is read from the file again.
  if (!result) return RefusedByParser(doc, result, ReadAgain(path), error);
  SetDeclaredEncodingUtf8(doc);
  return true;
}

}  // namespace

bool LoadFile(pugi::xml_document& doc, const std::string& path, ParseError& error, std::uint64_t* contentHash) {
  doc.reset();
  if (contentHash) *contentHash = 0;
  struct stat st {};
  const bool named = path.find('\0') == std::string::npos;
  const bool found = named && sys::Stat(path.c_str(), &st) == 0;
  if (!found || !S_ISREG(st.st_mode)) {
    error = {"The system cannot locate the object specified.\r\n", 0, "", 0, named && !found};
    return false;
  }
  // Too large a file is refused before anything is read.
  if (st.st_size > static_cast<off_t>(kMaxFileSize)) {
    SetTooLarge(error);
    return false;
  }
  // The file is read once into a buffer that the document takes over and
  // parses in place, so a large catalogue is never copied. A file that grows
  // while it is read is read again the plain way, still within the limit.
  const int fd = sys::Open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = {kAccessDenied, 0, "", 0, true};
    return false;
  }
  const std::size_t capacity = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1;
  const ReadResult read = ReadIntoParserBuffer(fd, capacity, contentHash != nullptr);
  sys::Close(fd);
  if (!read.readOk || read.size == capacity) {
    // Unreadable, or larger than it said: read it the plain way.
    FreeParserBuffer(read.buffer);
    return LoadPlain(doc, path, error);
  }
  // Hashed as read, before the parse changes the buffer: an index records it, and need not read the file again.
  if (contentHash) *contentHash = read.contentHash;
  return ParseInPlace(doc, path, read.buffer, read.size, error);
}

std::string ParseErrorFrame(std::string_view leading, const ParseError& error) {
  return std::string(leading) + "\r\n" + error.reason + "Line   : " + std::to_string(error.line) + "\r\n" +
         "Source : " + error.srcText;
}

std::string Text(pugi::xml_node node) {
  if (!node) return "";
  if (IsText(node.type())) return node.value();
  // The usual element: no content, or one piece of text.
  const pugi::xml_node first = node.first_child();
  if (!first) return "";
  if (!first.next_sibling() && IsText(first.type())) return first.value();
  std::string out;
  WalkDescendants(node, [&](pugi::xml_node n, int) {
    if (IsText(n.type())) out += n.value();
    return true;
  });
  return out;
}

std::string Text(const pugi::xpath_node& node) {
  if (node.attribute()) return node.attribute().value();
  return Text(node.node());
}

std::string WhyNotXmlText(std::string_view text) {
  const std::size_t bad = FirstInvalidCharacter(text);
  if (bad == std::string_view::npos) return "";
  utf8proc_int32_t cp = -1;
  if (utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + bad),
                       static_cast<utf8proc_ssize_t>(text.size() - bad), &cp) <= 0)
    return "the text is not valid UTF-8 (at byte " + std::to_string(bad) + ")";
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  return std::string("the text holds the character ") + code + ", which XML does not allow (at byte " +
         std::to_string(bad) + ")";
}

void SetText(pugi::xml_node node, std::string_view value) {
  if (!node) errors::RaiseObjectNotSet();
  if (std::string why = WhyNotXmlText(value); !why.empty())
    throw Error(errors::kXmlService, errors::kSource, "Invalid text: " + why);
  while (node.first_child()) node.remove_child(node.first_child());
  // The parser's allocator refusing leaves no text node, or an empty one.
  if (!node.append_child(pugi::node_pcdata).set_value(std::string(value).c_str())) throw std::bad_alloc();
}

namespace {

bool SameNode(pugi::xml_node a, pugi::xml_node b) {
  if (a.type() != b.type() || std::strcmp(a.name(), b.name()) != 0 || std::strcmp(a.value(), b.value()) != 0)
    return false;
  pugi::xml_attribute x = a.first_attribute(), y = b.first_attribute();
  for (; x && y; x = x.next_attribute(), y = y.next_attribute())
    if (std::strcmp(x.name(), y.name()) != 0 || std::strcmp(x.value(), y.value()) != 0) return false;
  return !x && !y;
}

}  // namespace

pugi::xml_node WholeCopy(pugi::xml_node copy, pugi::xml_node original) {
  // Both trees are walked together, without recursion.
  std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pending{{copy, original}};
  bool same = static_cast<bool>(copy);
  while (same && !pending.empty()) {
    const auto [c, o] = pending.back();
    pending.pop_back();
    same = SameNode(c, o);
    pugi::xml_node cc = c.first_child(), oc = o.first_child();
    for (; same && cc && oc; cc = cc.next_sibling(), oc = oc.next_sibling()) pending.emplace_back(cc, oc);
    same = same && !cc && !oc;
  }
  if (same) return copy;
  if (copy) copy.parent().remove_child(copy);
  throw std::bad_alloc();
}

std::string OuterXml(pugi::xml_node node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

std::vector<pugi::xml_node> SelectNodes(pugi::xml_node context, const std::string& xpath) {
  if (!context) errors::RaiseObjectNotSet();
  pugi::xpath_node_set set;
  try {
    pugi::xpath_query query(xpath.c_str());
    set = query.evaluate_node_set(context);
  } catch (const pugi::xpath_exception& e) {
    errors::RaiseInvalidXPath(xpath, e.what());
  }
  set.sort();
  std::vector<pugi::xml_node> nodes;
  nodes.reserve(set.size());
  for (const pugi::xpath_node& n : set)
    if (n.node()) nodes.push_back(n.node());
  return nodes;
}

pugi::xml_node SelectSingleNode(pugi::xml_node context, const std::string& xpath) {
  auto nodes = SelectNodes(context, xpath);
  return nodes.empty() ? pugi::xml_node() : nodes.front();
}

std::vector<pugi::xml_node> SelectChildPath(pugi::xml_node context, std::initializer_list<std::string_view> steps) {
  if (!context) errors::RaiseObjectNotSet();
  std::vector<pugi::xml_node> current{context}, next;
  for (std::string_view step : steps) {
    next.clear();
    const bool any = step == "*";
    // Every node of a step is at the same depth, so the children of earlier
    // nodes come before those of later ones: the result stays in document order.
    for (pugi::xml_node n : current)
      for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && (any || step == c.name())) next.push_back(c);
    current.swap(next);
  }
  return current;
}

std::vector<pugi::xml_node> ChildElements(pugi::xml_node node) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) out.push_back(c);
  return out;
}

pugi::xml_node FirstChildElement(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && name == c.name()) return c;
  return {};
}

}  // namespace pipedex::xml
