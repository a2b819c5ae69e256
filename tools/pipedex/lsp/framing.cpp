// Content-Length framing. A header line longer than the cap, a field other
// than Content-Length and Content-Type, a length that is not a decimal number
// or that two fields give differently make a bad header; its block is still
// read to its empty line, and the next "Content-Length:" starts the next
// message even in the middle of a line, so the reader finds its way back.

#include "framing.h"

#include <algorithm>
#include <cctype>

namespace pipedex::lsp {
namespace {

enum class Line { Ok, TooLong, End };

// One header line without its CRLF (or LF); a line over the cap is consumed whole.
Line ReadHeaderLine(std::istream& in, std::string& line) {
  line.clear();
  bool tooLong = false;
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return tooLong ? Line::TooLong : Line::Ok;
    }
    if (line.size() < kMaxHeaderLine) line.push_back(static_cast<char>(c));
    else tooLong = true;
  }
  return Line::End;
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A length of at most 15 digits (larger ones are over any cap anyway, then reported as such).
bool ParseLength(std::string_view text, std::size_t& length) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 15) return false;
  length = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  return true;
}

std::size_t FindLengthField(const std::string& line) {
  static constexpr std::string_view kField = "content-length:";
  for (std::size_t at = 0; at + kField.size() <= line.size(); ++at)
    if (SameWord(std::string_view(line).substr(at, kField.size()), kField)) return at;
  return std::string::npos;
}

}  // namespace

ReadResult ReadMessage(std::istream& in, std::string& body, std::size_t maxBody) {
  body.clear();
  std::string line;
  bool bad = false, haveLength = false, huge = false;
  std::size_t length = 0, lines = 0;
  for (;;) {
    const Line read = ReadHeaderLine(in, line);
    if (read == Line::End) return ReadResult::End;
    if (read == Line::Ok && line.empty()) {
      if (lines == 0) continue;  // blank lines between messages
      break;
    }
    // A header that starts inside a line (after the body of a message whose
    // header was bad, so whose end was not known) starts a new block there.
    if (const std::size_t at = FindLengthField(line); at != 0 && at != std::string::npos) {
      line.erase(0, at);
      bad = haveLength = huge = false;
      lines = 0;
    }
    if (read == Line::TooLong || ++lines > kMaxHeaderLines) {
      bad = true;
      continue;
    }
    const std::size_t colon = line.find(':');
    const std::string_view name = Trimmed(std::string_view(line).substr(0, std::min(colon, line.size())));
    const std::string_view value = colon == std::string::npos ? "" : std::string_view(line).substr(colon + 1);
    std::size_t given = 0;
    if (colon == std::string::npos) bad = true;
    else if (SameWord(name, "Content-Length")) {
      const std::string_view digits = Trimmed(value);
      if (digits.size() > 15 && digits.find_first_not_of("0123456789") == std::string_view::npos) huge = true;
      else if (!ParseLength(value, given) || (haveLength && given != length)) bad = true;
      else haveLength = true, length = given;
    } else if (!SameWord(name, "Content-Type")) {
      bad = true;
    }
  }
  if (huge && !bad) return ReadResult::TooLarge;  // its end cannot be known: the rest is not a message
  if (bad || !haveLength) return ReadResult::BadHeader;
  if (length > maxBody) {
    in.ignore(static_cast<std::streamsize>(length));
    return in.eof() ? ReadResult::End : ReadResult::TooLarge;
  }
  body.resize(length);
  in.read(body.data(), static_cast<std::streamsize>(length));
  if (static_cast<std::size_t>(in.gcount()) != length) {
    body.clear();
    return ReadResult::End;
  }
  return ReadResult::Message;
}

void WriteMessage(std::ostream& out, const std::string& body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace pipedex::lsp
