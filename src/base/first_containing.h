#pragma once

// Which of a list of texts is the first to contain a given text, for many
// given texts at once: the question a language variant asks of every chain of
// element names in the system file.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pipedex::xml {

// For each of `wanted`, the position in `texts` of the first text that
// contains it (npos when none does; an empty wanted text is in every text).
// Short wanted texts are all looked for in one pass over the texts, long ones
// one by one; either way the work grows with the length of the texts times
// the number of long wanted texts, which their own length bounds.
std::vector<std::size_t> FirstContaining(const std::vector<std::string>& texts,
                                         const std::vector<std::string_view>& wanted);

}  // namespace pipedex::xml
