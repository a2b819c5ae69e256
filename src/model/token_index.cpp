#include "model/token_index.h"

namespace pipedex::model {

void TokenIndex::Append(std::string& text, std::string_view token) {
  const std::size_t old = text.size();
  text += token;
  // The new pieces are those that end inside the appended token.
  for (std::size_t end = old; end < text.size(); ++end) {
    if (text[end] != '~') continue;
    for (std::size_t begin = end + 1 > kLongest ? end + 1 - kLongest : 0; begin <= end; ++begin)
      if (text[begin] == '~') pieces_.insert(text.substr(begin, end - begin + 1));
  }
}

bool TokenIndex::Contains(const std::string& text, const std::string& token) const {
  if (token.empty() || token.size() > kLongest || token.front() != '~' || token.back() != '~')
    return text.find(token) != std::string::npos;
  return pieces_.count(token) > 0;
}

}  // namespace pipedex::model
