#include "base/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#include <utf8proc.h>

namespace pipedex::text {
namespace {

// Length in bytes of the character starting at s[pos]; invalid bytes count as one.
std::size_t CharBytes(std::string_view s, std::size_t pos) {
  if (static_cast<unsigned char>(s[pos]) < 0x80) return 1;  // ASCII, without decoding
  utf8proc_int32_t cp = 0;
  auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data() + pos),
                            static_cast<utf8proc_ssize_t>(s.size() - pos), &cp);
  return n > 0 ? static_cast<std::size_t>(n) : 1;
}

// Byte offset of character number index (s.size() when past the end).
std::size_t ByteOffset(std::string_view s, std::size_t index) {
  std::size_t pos = 0;
  while (index > 0 && pos < s.size()) {
    pos += CharBytes(s, pos);
    --index;
  }
  return pos;
}

bool IsBlank(char c) { return c == ' '; }

// Length of the decimal number at the start of s (sign, digits, point, exponent); 0 when none.
std::size_t NumberPrefix(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

// Whether a number the double range cannot hold is too large (rather than too
// small): the power of ten of its first significant digit is positive.
bool IsBeyondLargest(std::string_view number) {
  const std::size_t mark = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, mark);
  long exponent = 0;
  if (mark != std::string_view::npos) {
    std::string_view written = number.substr(mark + 1);
    if (!written.empty() && written.front() == '+') written.remove_prefix(1);
    if (std::from_chars(written.data(), written.data() + written.size(), exponent).ec != std::errc())
      return !written.empty() && written.front() != '-';  // an exponent beyond a long
  }
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const long position = first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
  return exponent + position > 0;
}

// The value of a text NumberPrefix accepted whole, read the same under every
// locale of the host program. Beyond the range of a double it is an infinity,
// below it zero, each with the number's sign.
double ToDouble(std::string_view number) {
  const bool negative = !number.empty() && number.front() == '-';
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) number.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = IsBeyondLargest(number.substr(0, static_cast<std::size_t>(end - number.data())))
                ? std::numeric_limits<double>::infinity()
                : 0.0;
  }
  return negative ? -value : value;
}

// Appends Upper(s) to out. Written into both callers:
// Upper runs for most keys a load files, where a call of its own would show.
// ASCII, the common case, is upper-cased without decoding, eight bytes at a
// time while no byte has its top bit set: a byte from 'a' to 'z' is one to
// which adding 0x1f sets the top bit and adding 0x05 does not (no byte below
// 0x80 carries into the next), and it loses 0x20.
[[gnu::always_inline]] inline void UpperInto(std::string& out, std::string_view s) {
  constexpr std::uint64_t kTopBits = 0x8080808080808080ull, kEach = 0x0101010101010101ull;
  const std::size_t start = out.size();
  out.resize(start + s.size());
  char* to = out.data() + start;
  std::size_t pos = 0;
  for (; pos + 8 <= s.size(); pos += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + pos, 8);
    if (word & kTopBits) break;
    const std::uint64_t lower = (word + 0x1f * kEach) & ~(word + 0x05 * kEach) & kTopBits;
    word -= lower >> 2;
    std::memcpy(to + pos, &word, 8);
  }
  for (; pos < s.size() && static_cast<unsigned char>(s[pos]) < 0x80; ++pos) to[pos] = AsciiUpper(s[pos]);
  if (pos == s.size()) return;
  out.resize(start + pos);  // the rest may change length as it is upper-cased
  while (pos < s.size()) {
    const char ascii = s[pos];
    if (static_cast<unsigned char>(ascii) < 0x80) {
      out.push_back(AsciiUpper(ascii));
      ++pos;
      continue;
    }
    utf8proc_int32_t cp = 0;
    auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data() + pos),
                              static_cast<utf8proc_ssize_t>(s.size() - pos), &cp);
    if (n <= 0) {  // not valid UTF-8: keep the byte as it is
      out.push_back(s[pos]);
      ++pos;
      continue;
    }
    // A character of two bytes or more (ASCII never decodes from more than one).
    utf8proc_uint8_t buf[4];
    auto len = utf8proc_encode_char(utf8proc_toupper(cp), buf);
    out.append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(len));
    pos += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string Upper(std::string_view s) {
  std::string out;
  UpperInto(out, s);
  return out;
}

void AppendUpper(std::string& out, std::string_view s) { UpperInto(out, s); }

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string UpperTrim(std::string_view s) { return Upper(Trim(s)); }

std::string OneLine(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool lineBreak = s[i] == '\r' || s[i] == '\n';
    if (!lineBreak) out += s[i];
    else if (i + 1 == s.size() || (s[i + 1] != '\r' && s[i + 1] != '\n')) out += ' ';
  }
  return Trim(out);
}

std::size_t Length(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < s.size(); pos += CharBytes(s, pos)) ++count;
  return count;
}

std::size_t Utf16Units(std::string_view s, std::size_t n) {
  std::size_t units = 0;
  for (std::size_t pos = 0, i = 0; pos < s.size() && i < n; ++i) {
    const std::size_t bytes = CharBytes(s, pos);
    units += bytes == 4 ? 2 : 1;  // beyond the basic plane: a surrogate pair
    pos += bytes;
  }
  return units;
}

std::size_t CharactersInUtf16(std::string_view s, std::size_t units) {
  std::size_t count = 0;
  for (std::size_t pos = 0, used = 0; pos < s.size(); ++count) {
    const std::size_t bytes = CharBytes(s, pos);
    if ((used += bytes == 4 ? 2 : 1) > units) break;
    pos += bytes;
  }
  return count;
}

std::string Left(std::string_view s, std::size_t n) { return std::string(s.substr(0, ByteOffset(s, n))); }

std::string Right(std::string_view s, std::size_t n) {
  std::size_t len = Length(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(ByteOffset(s, len - n)));
}

std::string Mid(std::string_view s, std::size_t start, std::size_t n) {
  std::size_t b = ByteOffset(s, start);
  std::string_view rest = s.substr(b);
  if (n == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, ByteOffset(rest, n)));
}

std::string CharAt(std::string_view s, std::size_t index) { return Mid(s, index, 1); }

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsDigitAt(std::string_view s, std::size_t index) {
  std::string c = CharAt(s, index);
  return c.size() == 1 && c[0] >= '0' && c[0] <= '9';
}

bool IsNumeric(std::string_view s) { return ParseNumber(s).has_value(); }

std::optional<double> ParseNumber(std::string_view s) {
  std::string t = Trim(s);
  std::size_t n = NumberPrefix(t);
  if (n == 0 || n != t.size()) return std::nullopt;
  return ToDouble(t);
}

double LeadingNumber(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  std::string_view rest = s.substr(b);
  std::size_t n = NumberPrefix(rest);
  return n == 0 ? 0.0 : ToDouble(rest.substr(0, n));
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::optional<std::int32_t> ToLong(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double r = RoundHalfEven(value);
  if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::string DecimalText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0) return "0";
  char buf[64];
  // d.dddddddddddddde±x: 15 significant digits, the same under every locale.
  const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  std::string s(buf, written.ptr);
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  auto epos = s.find('e');
  int exponent = 0;
  const char* expText = s.c_str() + epos + 1;
  std::from_chars(expText + (*expText == '+'), s.c_str() + s.size(), exponent);
  std::string digits = s.substr(0, 1) + s.substr(2, epos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  if (exponent >= 0) {
    auto intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
      out = digits + std::string(intLen - digits.size(), '0');
    } else {
      out = digits.substr(0, intLen) + "." + digits.substr(intLen);
    }
  } else {
    out = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return negative ? "-" + out : out;
}

}  // namespace pipedex::text
