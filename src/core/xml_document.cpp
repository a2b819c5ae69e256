#include "core/xml_document.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>

#include "core/errors.h"
#include "core/text.h"

namespace pipedex::xml {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype;

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

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

bool HasUnicodeBom(std::string_view b) {
  auto at = [&](std::size_t i) { return i < b.size() ? static_cast<unsigned char>(b[i]) : 0x100u; };
  return (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) || (at(0) == 0xFE && at(1) == 0xFF) ||
         (at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF);
}

bool Convert(std::string_view bytes, const std::string& from, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.assign(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  bool ok = iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return ok;
}

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
  error.srcText = std::move(src);
}

void SetDeclaredEncodingUtf8(pugi::xml_document& doc) {
  pugi::xml_node decl = doc.first_child();
  if (decl.type() == pugi::node_declaration && decl.attribute("encoding")) decl.attribute("encoding").set_value("UTF-8");
}

// How a text can be handed to the parser as it is: the encoding to parse it
// in, or nothing when it must be converted to UTF-8 first (an 8-bit encoding
// named in its declaration).
std::optional<pugi::xml_encoding> DirectEncoding(std::string_view bytes) {
  if (HasUnicodeBom(bytes)) return pugi::encoding_auto;
  const std::string declared = AsciiLower(DeclaredEncoding(bytes));
  if (declared.empty() || declared == "utf-8" || declared == "utf8" || declared == "us-ascii" || declared == "ascii")
    return pugi::encoding_utf8;
  if (declared.rfind("utf-16", 0) == 0 || declared.rfind("utf-32", 0) == 0 || declared == "ucs-2")
    return pugi::encoding_auto;
  return std::nullopt;
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
  std::string converted;
  std::string_view buffer = bytes;
  pugi::xml_encoding encoding = pugi::encoding_utf8;
  if (auto direct = DirectEncoding(bytes)) {
    encoding = *direct;
  } else {
    if (!Convert(bytes, AsciiLower(DeclaredEncoding(bytes)), converted)) {
      error.reason = "The encoding '" + DeclaredEncoding(bytes) + "' is not supported or the text is not in it.\r\n";
      LocateLine(bytes, 0, error);
      return false;
    }
    buffer = converted;
  }
  pugi::xml_parse_result result = doc.load_buffer(buffer.data(), buffer.size(), kParseOptions, encoding);
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
  // parses in place, so a large catalogue is never copied.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = {"Access is denied.\r\n", 0, ""};
    return false;
  }
  const std::size_t capacity = static_cast<std::size_t>(st.st_size) + 1;
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
  if (!readOk || size == capacity) {
    // Unreadable, or the file grew while it was read: read it the plain way.
    if (buffer) pugi::get_memory_deallocation_function()(buffer);
    std::string content;
    if (!ReadWholeFile(path, content)) {
      error = {"Access is denied.\r\n", 0, ""};
      return false;
    }
    return LoadText(doc, content, error);
  }

  const auto encoding = DirectEncoding(std::string_view(buffer, size));
  if (!encoding) {  // an 8-bit encoding: converted to UTF-8 first
    std::string content(buffer, size);
    pugi::get_memory_deallocation_function()(buffer);
    return LoadText(doc, content, error);
  }
  pugi::xml_parse_result result = doc.load_buffer_inplace_own(buffer, size, kParseOptions, *encoding);
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

void SaveFile(const pugi::xml_document& doc, const std::string& path) {
  std::ostringstream out;
  doc.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
  const std::string content = out.str();

  auto fail = [&](const std::string& what) -> void {
    throw Error(errors::kXmlService, kSource, "Could not save the document to " + path + " : " + what);
  };
  std::string tmp = path + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) fail(std::strerror(errno));
  std::size_t written = 0;
  while (written < content.size()) {
    ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      ::unlink(tmp.c_str());
      fail(std::strerror(err));
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::fchmod(fd, 0644) != 0) {
    int err = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    fail(std::strerror(err));
  }
  if (::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    fail(std::strerror(err));
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
