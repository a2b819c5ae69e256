#include "model/token_index.h"

#include <limits>
#include <stdexcept>

#include "base/seeded_hash.h"

namespace pipedex::model {

// The cell holding piece, or the empty cell where it would go.
std::size_t TokenIndex::Cell(const std::string& text, std::string_view piece) const {
  const std::size_t mask = cells_.size() - 1;
  for (std::size_t c = hashing::Hash(piece) & mask;; c = (c + 1) & mask)
    if (cells_[c] == 0 || PieceOf(text, cells_[c]) == piece) return c;
}

void TokenIndex::Grow(const std::string& text) {
  std::vector<std::uint32_t> old(cells_.empty() ? 16 : cells_.size() * 2);
  old.swap(cells_);
  for (std::uint32_t cell : old)
    if (cell != 0) cells_[Cell(text, PieceOf(text, cell))] = cell;
}

void TokenIndex::Append(std::string& text, std::string_view token) {
  const std::size_t old = text.size();
  if (old + token.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("the Plotra end preparations exceed 4 GiB");
  text += token;
  if (searched_ || text.size() > kFarthest) {
    searched_ = true;
    cells_ = std::vector<std::uint32_t>();
    return;
  }
  // The new pieces are those that end inside the appended token.
  for (std::size_t end = old; end < text.size(); ++end) {
    if (text[end] != '~') continue;
    for (std::size_t begin = end + 1 > kLongest ? end + 1 - kLongest : 0; begin <= end; ++begin) {
      if (text[begin] != '~') continue;
      if ((count_ + 1) * 2 > cells_.size()) Grow(text);
      std::uint32_t& cell = cells_[Cell(text, std::string_view(text).substr(begin, end - begin + 1))];
      if (cell != 0) continue;
      cell = static_cast<std::uint32_t>(begin << kLengthBits | (end - begin + 1));
      ++count_;
    }
  }
}

bool TokenIndex::Contains(const std::string& text, const std::string& token) const {
  if (searched_ || token.empty() || token.size() > kLongest || token.front() != '~' || token.back() != '~')
    return text.find(token) != std::string::npos;
  return !cells_.empty() && cells_[Cell(text, token)] != 0;
}

}  // namespace pipedex::model
