#pragma once

// The Plotra end preparation text is built by appending short tokens, "~" +
// (up to) two characters + "~", each only when it does not already occur in
// the text. TokenIndex remembers every piece of the text that begins and ends
// with "~" (up to the longest token's length), so that "does this token occur
// in the text" is one hash look-up while the list is built and at every later
// question about an SKEY, instead of a search through the whole text.

#include <string>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pipedex::model {

// "~" + middle + "~". Built by appending: g++ 12 at -O3 warns falsely
// (-Wrestrict) about "~" + std::string&& inside libstdc++.
inline std::string MakeToken(std::string_view middle) {
  std::string token;
  token.reserve(middle.size() + 2);
  token += '~';
  token += middle;
  token += '~';
  return token;
}

class TokenIndex {
 public:
  // Forgets every piece (the text is about to be rebuilt from "").
  void Clear() {
    cells_.clear();
    count_ = 0;
  }
  // Appends token to text, which must be the text built through this index since Clear.
  void Append(std::string& text, std::string_view token);
  // Whether token occurs in text (a substring search, answered from the pieces
  // when the token begins and ends with "~" and is short enough).
  bool Contains(const std::string& text, const std::string& token) const;

 private:
  static constexpr std::size_t kLongest = 10;  // "~", two characters of up to four bytes, "~"
  // Each piece once, as where it first occurs in the text: open addressing
  // with linear probing, at most half full; a cell of length 0 is empty.
  struct Piece {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  std::size_t Cell(const std::string& text, std::string_view piece) const;
  void Grow(const std::string& text);
  std::vector<Piece> cells_;
  std::size_t count_ = 0;
};

}  // namespace pipedex::model
