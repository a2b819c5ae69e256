#pragma once

// Text helpers used everywhere in the component. Strings are UTF-8; a
// "character" is a Unicode code point (a byte that is not valid UTF-8 counts
// as one character of its own), never a byte.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pipedex::text {

// Upper-cases every character by its simple Unicode mapping.
std::string Upper(std::string_view s);
// Appends Upper(s) to out.
void AppendUpper(std::string& out, std::string_view s);

// ASCII letter case only, for texts that are ASCII by definition (encoding
// names, element names of the format) and for fast paths that fold byte by byte.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Upper(s) for a text that is looked up, not kept: a short ASCII text (most
// keys) is upper-cased into the object itself, any other through Upper().
class UpperKey {
 public:
  explicit UpperKey(std::string_view s) {
    if (s.size() <= sizeof ascii_) {
      unsigned char high = 0;
      for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        high |= static_cast<unsigned char>(c);
        ascii_[i] = AsciiUpper(c);
      }
      if (high < 0x80) {
        view_ = std::string_view(ascii_, s.size());
        return;
      }
    }
    other_ = Upper(s);
    view_ = other_;
  }
  UpperKey(const UpperKey&) = delete;
  UpperKey& operator=(const UpperKey&) = delete;
  std::string_view View() const { return view_; }

 private:
  char ascii_[64];
  std::string other_;
  std::string_view view_;
};

// Removes leading and trailing blanks (space characters only).
std::string Trim(std::string_view s);
// Upper(Trim(s)): the usual normal form of names the caller passes.
std::string UpperTrim(std::string_view s);
// The text on one line: each run of line breaks (carriage returns and line
// feeds) becomes one space, and blanks at the ends go.
std::string OneLine(std::string_view s);

// Number of characters.
std::size_t Length(std::string_view s);
// UTF-16 code units of the first n characters (of all of s when it is shorter):
// what editors count columns in. A byte that is not valid UTF-8 counts as one.
std::size_t Utf16Units(std::string_view s, std::size_t n = std::string_view::npos);
// Characters of s whose UTF-16 code units do not exceed `units`.
std::size_t CharactersInUtf16(std::string_view s, std::size_t units);
// The first n characters (all of s when it is shorter).
std::string Left(std::string_view s, std::size_t n);
// The last n characters (all of s when it is shorter).
std::string Right(std::string_view s, std::size_t n);
// n characters starting at character position start (0-based).
std::string Mid(std::string_view s, std::size_t start, std::size_t n = std::string_view::npos);
// The character at position index (0-based) as text, "" past the end.
std::string CharAt(std::string_view s, std::size_t index);
bool StartsWith(std::string_view s, std::string_view prefix);
// Whether the character at position index is one of the digits 0 to 9.
bool IsDigitAt(std::string_view s, std::size_t index);

// The numeric test: apart from surrounding blanks, a decimal number with an
// optional sign, decimal point and exponent ("12", " -1.5 ", "2e3", ".5").
bool IsNumeric(std::string_view s);
// The value of a text that passes IsNumeric, nothing otherwise.
std::optional<double> ParseNumber(std::string_view s);
// The longest decimal number at the start of the text (after leading blanks); 0 when there is none.
double LeadingNumber(std::string_view s);
// Rounds to a whole number, halves to the even neighbour.
double RoundHalfEven(double value);
// Rounds half to even and converts to a 32-bit signed integer; nothing when
// the value is not a number or outside the range.
std::optional<std::int32_t> ToLong(double value);
// The decimal text of a double: at most 15 significant digits, no trailing
// zeros, "." as separator, never an exponent.
std::string DecimalText(double value);

}  // namespace pipedex::text
