#include "code_pool.h"

#include <utf8proc.h>

namespace pipedex::bench {
namespace {

std::string Utf8(utf8proc_int32_t cp) {
  utf8proc_uint8_t buf[4];
  auto n = utf8proc_encode_char(cp, buf);
  return std::string(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(n));
}

// Upper-case letters that upper-case to themselves and survive a round trip
// through lower case: ASCII first, then Latin, Greek and Cyrillic capitals.
std::vector<std::string> CodeLetters() {
  std::vector<std::string> letters;
  for (char c = 'A'; c <= 'Z'; ++c) letters.emplace_back(1, c);
  for (utf8proc_int32_t cp = 0xC0; cp <= 0x52F; ++cp) {
    if (utf8proc_category(cp) != UTF8PROC_CATEGORY_LU) continue;
    auto lower = utf8proc_tolower(cp);
    if (utf8proc_toupper(cp) != cp || lower == cp || utf8proc_toupper(lower) != cp) continue;
    letters.push_back(Utf8(cp));
  }
  return letters;
}

}  // namespace

std::vector<std::string> CodePool(const std::set<std::string>& taken) {
  const auto letters = CodeLetters();
  std::vector<std::string> pool;
  auto add = [&](const std::string& code) {
    if (!taken.count(code) && code != "FL") pool.push_back(code);
  };
  for (std::size_t n = 0; n < letters.size(); ++n) {
    for (std::size_t i = 0; i < n; ++i) {
      add(letters[i] + letters[n]);
      add(letters[n] + letters[i]);
    }
    add(letters[n] + letters[n]);
  }
  return pool;
}

}  // namespace pipedex::bench
