#include "base/xml_document.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include <utf8proc.h>

#include "base/errors.h"
#include "base/text.h"

namespace pipedex::xml {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype;

// The encoding named in the XML declaration of an 8-bit buffer, "" when none is named.
std::string DeclaredEncoding(std::string_view bytes) {
  if (!text::StartsWith(bytes, "<?xml")) return "";
  auto end = bytes.find("?>");
  std::string_view decl = bytes.substr(0, end == std::string_view::npos ? std::min<std::size_t>(bytes.size(), 200) : end);
  auto pos = decl.find("encoding");
  if (pos == std::string_view::npos) return "";
  pos = decl.find_first_of("\"'", pos);
  if (pos == std::string_view::npos) return "";
  auto close = decl.find(decl[pos], pos + 1);
  if (close == std::string_view::npos) return "";
  return std::string(decl.substr(pos + 1, close - pos - 1));
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

bool IsUtf8Name(const std::string& lowerName) {
  return lowerName.empty() || lowerName == "utf-8" || lowerName == "utf8" || lowerName == "us-ascii" ||
         lowerName == "ascii" || lowerName.rfind("utf-16", 0) == 0 || lowerName.rfind("utf-32", 0) == 0 ||
         lowerName == "ucs-2";  // a 16- or 32-bit name on 8-bit text: the text is read as UTF-8
}

// Converts bytes in encoding `from` to UTF-8. Fails with unsupported set when
// the encoding is unknown, otherwise with badAt = the length of the text
// converted before the first byte sequence that is not in the encoding.
bool Convert(std::string_view bytes, const std::string& from, std::string& out, bool& unsupported,
             std::size_t& badAt) {
  unsupported = false;
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    unsupported = true;
    return false;
  }
  out.assign(bytes.size() + bytes.size() / 2 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  std::size_t produced = 0;
  bool ok = true;
  while (true) {
    char* dst = out.data() + produced;
    std::size_t outLeft = out.size() - produced;
    std::size_t r = iconv(cd, inLeft > 0 ? &in : nullptr, &inLeft, &dst, &outLeft);
    produced = out.size() - outLeft;
    if (r != static_cast<std::size_t>(-1)) {
      if (inLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: a sequence that is not (completely) in the encoding
    break;
  }
  iconv_close(cd);
  out.resize(produced);
  badAt = produced;
  return ok;
}

// Byte offset of the first character XML does not allow in a document (a
// byte sequence that is not UTF-8, a zero byte, a control character other
// than tab, line feed and carriage return, U+FFFE, U+FFFF); npos when none.
std::size_t FirstInvalidCharacter(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
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

constexpr const char* kInvalidCharacter = "An invalid character was found in text content.\r\n";

// Line number (from 1) and text of the line that holds byte offset pos.
void LocateLine(std::string_view buffer, std::ptrdiff_t offset, ParseError& error) {
  std::size_t pos = std::min<std::size_t>(offset < 0 ? 0 : static_cast<std::size_t>(offset), buffer.size());
  std::size_t line = 1 + static_cast<std::size_t>(std::count(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
  std::size_t start = buffer.rfind('\n', pos == 0 ? 0 : pos - 1);
  start = (start == std::string_view::npos || (pos > 0 && start >= pos)) ? 0 : start + 1;
  if (pos == 0) start = 0;
  std::size_t end = buffer.find('\n', pos);
  std::string src(buffer.substr(start, (end == std::string_view::npos ? buffer.size() : end) - start));
  if (!src.empty() && src.back() == '\r') src.pop_back();
  error.line = static_cast<std::int32_t>(std::min<std::size_t>(line, 0x7fffffff));
  // The source line becomes part of an error description, which is text:
  // characters that may not stand in a document are shown as U+FFFD.
  std::string_view rest = src;
  std::string shown;
  for (std::size_t bad = FirstInvalidCharacter(rest); bad != std::string_view::npos; bad = FirstInvalidCharacter(rest)) {
    shown.append(rest.substr(0, bad)).append("\xEF\xBF\xBD");
    rest.remove_prefix(bad + InvalidSequenceLength(rest.substr(bad)));
  }
  error.srcText = shown.append(rest);
}

void SetDeclaredEncodingUtf8(pugi::xml_document& doc) {
  pugi::xml_node decl = doc.first_child();
  if (decl.type() == pugi::node_declaration && decl.attribute("encoding")) decl.attribute("encoding").set_value("UTF-8");
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  out = content.str();
  return true;
}

}  // namespace

bool LoadText(pugi::xml_document& doc, std::string_view bytes, ParseError& error) {
  doc.reset();
  // Every document is turned into UTF-8 text first and checked character by
  // character, so that the parser never sees a zero byte (which would end the
  // document early) or bytes that are not text.
  std::string converted;
  std::string_view buffer = bytes;
  std::size_t bomLength = 0;
  std::string from = UnicodeEncoding(bytes, bomLength);
  buffer.remove_prefix(bomLength);
  if (from.empty() && bomLength == 0) {
    std::string declared = text::AsciiLower(DeclaredEncoding(bytes));
    if (!IsUtf8Name(declared)) from = declared;
  }
  if (!from.empty()) {
    bool unsupported = false;
    std::size_t badAt = 0;
    if (!Convert(buffer, from, converted, unsupported, badAt)) {
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
  if (std::size_t bad = FirstInvalidCharacter(buffer); bad != std::string_view::npos) {
    error.reason = kInvalidCharacter;
    LocateLine(buffer, static_cast<std::ptrdiff_t>(bad), error);
    return false;
  }
  pugi::xml_parse_result result = doc.load_buffer(buffer.data(), buffer.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) {
    error.reason = std::string(result.description()) + "\r\n";
    LocateLine(buffer, result.offset, error);
    doc.reset();
    return false;
  }
  SetDeclaredEncodingUtf8(doc);
  return true;
}

bool LoadFile(pugi::xml_document& doc, const std::string& path, ParseError& error) {
  doc.reset();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = {"The system cannot locate the object specified.\r\n", 0, ""};
    return false;
  }
  // The file is read once into a buffer that the document takes over and
  // parses in place, so a large catalogue is never copied. The size a special
  // file reports may be far from what it holds: it sizes the buffer only up
  // to 1 GiB, and such files are read the plain way.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = {"Access is denied.\r\n", 0, ""};
    return false;
  }
  const std::size_t capacity = static_cast<std::size_t>(std::clamp<off_t>(st.st_size, 0, off_t{1} << 30)) + 1;
  char* buffer = static_cast<char*>(pugi::get_memory_allocation_function()(capacity));
  std::size_t size = 0;
  bool readOk = buffer != nullptr;
  while (readOk && size < capacity) {
    ssize_t n = ::read(fd, buffer + size, capacity - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) readOk = false;
    if (n <= 0) break;
    size += static_cast<std::size_t>(n);
  }
  ::close(fd);
  auto loadCopy = [&](std::string content) {
    if (buffer) pugi::get_memory_deallocation_function()(buffer);
    return LoadText(doc, content, error);
  };
  if (!readOk || size == capacity) {
    // Unreadable, or larger than it said: read it the plain way.
    std::string content;
    if (!ReadWholeFile(path, content)) {
      if (buffer) pugi::get_memory_deallocation_function()(buffer);
      error = {"Access is denied.\r\n", 0, ""};
      return false;
    }
    return loadCopy(std::move(content));
  }

  // Text in another encoding is converted (and checked) by LoadText; UTF-8
  // text is checked here and parsed where it lies.
  const std::string_view text(buffer, size);
  std::size_t bomLength = 0;
  if (!UnicodeEncoding(text, bomLength).empty() ||
      (bomLength == 0 && !IsUtf8Name(pipedex::text::AsciiLower(DeclaredEncoding(text)))))
    return loadCopy(std::string(text));
  if (std::size_t bad = FirstInvalidCharacter(text.substr(bomLength)); bad != std::string_view::npos) {
    error.reason = kInvalidCharacter;
    LocateLine(text, static_cast<std::ptrdiff_t>(bad + bomLength), error);
    pugi::get_memory_deallocation_function()(buffer);
    return false;
  }
  pugi::xml_parse_result result = doc.load_buffer_inplace_own(buffer, size, kParseOptions, pugi::encoding_utf8);
  if (!result) {
    // The parser has changed the buffer: the failing line is read from the file again.
    error.reason = std::string(result.description()) + "\r\n";
    std::string original;
    ReadWholeFile(path, original);
    LocateLine(original, result.offset, error);
    doc.reset();
    return false;
  }
  SetDeclaredEncodingUtf8(doc);
  return true;
}

std::string ParseErrorFrame(std::string_view leading, const ParseError& error) {
  return std::string(leading) + "\r\n" + error.reason + "Line   : " + std::to_string(error.line) + "\r\n" +
         "Source : " + error.srcText;
}

std::string Text(pugi::xml_node node) {
  if (!node) return "";
  if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return node.value();
  std::string out;
  // Iterative walk: catalogue documents may be deeply nested.
  pugi::xml_node cur = node.first_child();
  while (cur && cur != node) {
    if (cur.type() == pugi::node_pcdata || cur.type() == pugi::node_cdata) out += cur.value();
    if (cur.first_child()) {
      cur = cur.first_child();
      continue;
    }
    while (cur && cur != node && !cur.next_sibling()) cur = cur.parent();
    if (cur && cur != node) cur = cur.next_sibling();
  }
  return out;
}

std::string Text(const pugi::xpath_node& node) {
  if (node.attribute()) return node.attribute().value();
  return Text(node.node());
}

void SetText(pugi::xml_node node, std::string_view value) {
  if (!node) RaiseObjectNotSet();
  while (node.first_child()) node.remove_child(node.first_child());
  node.append_child(pugi::node_pcdata).set_value(std::string(value).c_str());
}

namespace {

// Hands the saved text straight to a file descriptor, remembering the first
// failure (the writer interface has no way to report one).
class FileWriter final : public pugi::xml_writer {
 public:
  explicit FileWriter(int fd) : fd_(fd) {}
  void write(const void* data, std::size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0 && error_ == 0) {
      ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno != EINTR) error_ = errno;
        continue;
      }
      p += n;
      size -= static_cast<std::size_t>(n);
    }
  }
  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

// Indented like the shipped files, unless elements nest so deeply that the
// indentation alone would grow with the square of the depth.
unsigned SaveFormat(const pugi::xml_document& doc) {
  constexpr int kMaxIndentedDepth = 100;
  int depth = 0;
  for (pugi::xml_node cur = doc.first_child(); cur;) {
    if (cur.first_child()) {
      cur = cur.first_child();
      if (++depth > kMaxIndentedDepth) return pugi::format_raw;
      continue;
    }
    while (cur && !cur.next_sibling()) {
      cur = cur.parent();
      --depth;
    }
    if (cur) cur = cur.next_sibling();
  }
  return pugi::format_default;
}

}  // namespace

void SaveFile(const pugi::xml_document& doc, const std::string& path) {
  auto fail = [&](int err) -> void {
    throw Error(errors::kXmlService, kSource, "Could not save the document to " + path + " : " + std::strerror(err));
  };
  // The text goes to a temporary file in the target's folder, is flushed to
  // the disk, and only then replaces the target in one rename: a save that
  // fails at any point leaves an existing file as it was. The temporary name
  // is short, so it fits wherever the target's name fits.
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  std::string tmp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".pipedex-save-XXXXXX";
  // A file that is replaced keeps its permissions; a new one is readable by everyone.
  mode_t mode = 0644;
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) mode = existing.st_mode & 07777;

  int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) fail(errno);
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    fail(err);
  };
  FileWriter writer(fd);
  doc.save(writer, "\t", SaveFormat(doc), pugi::encoding_utf8);
  if (writer.error() != 0) abandon(writer.error());
  if (::fsync(fd) != 0 || ::fchmod(fd, mode) != 0) abandon(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    fail(err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    fail(err);
  }
  // Flush the folder too, so that the rename itself survives a power failure.
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

std::string OuterXml(pugi::xml_node node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

std::vector<pugi::xml_node> SelectNodes(pugi::xml_node context, const std::string& xpath) {
  if (!context) RaiseObjectNotSet();
  pugi::xpath_node_set set;
  try {
    pugi::xpath_query query(xpath.c_str());
    set = query.evaluate_node_set(context);
  } catch (const pugi::xpath_exception& e) {
    RaiseInvalidXPath(xpath, e.what());
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
  if (!context) RaiseObjectNotSet();
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
