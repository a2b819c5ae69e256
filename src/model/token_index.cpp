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

namespace {

// Whether a token is one the pieces answer.
bool IsPiece(std::string_view token, std::size_t longest) {
  return !token.empty() && token.size() <= longest && token.front() == '~' && token.back() == '~';
}

}  // namespace

bool TokenIndex::Contains(const std::string& text, const std::string& token) const {
  if (searched_ || !IsPiece(token, kLongest)) return text.find(token) != std::string::npos;
  return !cells_.empty() && cells_[Cell(text, token)] != 0;
}

std::string TokenIndex::CompilePieces(const std::string& text) {
  if (text.size() > kFarthest) return "";
  // The text itself under "", which no piece is; every piece under itself.
  const std::string_view all(text);
  std::vector<std::pair<std::string_view, std::string_view>> entries{{"", all}};
  for (std::size_t end = 0; end < text.size(); ++end) {
    if (text[end] != '~') continue;
    for (std::size_t begin = end + 1 > kLongest ? end + 1 - kLongest : 0; begin <= end; ++begin)
      if (text[begin] == '~') entries.emplace_back(all.substr(begin, end - begin + 1), "");
  }
  return flat::CompileTable(entries);
}

bool TokenIndex::CompiledContains(const flat::Table& table, const std::string& token) {
  if (IsPiece(token, kLongest)) return table.Find(token).has_value();
  const std::optional<std::string_view> text = table.Find("");
  return text && text->find(token) != std::string_view::npos;
}

}  // namespace pipedex::model
