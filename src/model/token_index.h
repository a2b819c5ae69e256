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

#include "base/flat_table.h"

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

// Kept for the initialisation memory goal: a std::unordered_set<std::string> of
// the pieces adds 0.42 MB of heap on the 10 MB catalogue (0.78 MB at the peak,
// a twelfth of the file; measured); without an index each SKEY question
// searches the 8 KB text.
class TokenIndex {
 public:
  // Forgets every piece (the text is about to be rebuilt from "").
  void Clear() {
    cells_.clear();
    count_ = 0;
    searched_ = false;
  }
  // Appends token to text, which must be the text built through this index since Clear.
  void Append(std::string& text, std::string_view token);
  // Whether token occurs in text (a substring search, answered from the pieces
  // when the token begins and ends with "~" and is short enough).
  bool Contains(const std::string& text, const std::string& token) const;

  // The pieces of a text compiled into a table read in place (with the text
  // itself, for the tokens no piece answers), so that Contains is answered
  // without building the index; "" for a text too long to be indexed.
  static std::string CompilePieces(const std::string& text);
  // Contains() for the text whose pieces are compiled in table.
  static bool CompiledContains(const flat::Table& table, const std::string& token);

 private:
  static constexpr std::size_t kLongest = 10;  // "~", two characters of up to four bytes, "~"
  // A piece as where it first occurs in the text and its length, in one
  // cell of 32 bits: the offset above the low four bits, the length in them.
  static constexpr unsigned kLengthBits = 4;
  static constexpr std::size_t kFarthest = std::size_t{1} << (32 - kLengthBits);  // offsets below this
  static std::string_view PieceOf(const std::string& text, std::uint32_t cell) {
    return std::string_view(text).substr(cell >> kLengthBits, cell & ((1u << kLengthBits) - 1));
  }
  // Each piece once: open addressing with linear probing, at most half full;
  // an empty cell holds zero (no piece has length zero).
  std::size_t Cell(const std::string& text, std::string_view piece) const;
  void Grow(const std::string& text);
  std::vector<std::uint32_t> cells_;
  std::size_t count_ = 0;
  // Whether the text grew too long for the cells to tell where its pieces
  // are (256 MiB): it is then searched instead.
  bool searched_ = false;
};

}  // namespace pipedex::model
