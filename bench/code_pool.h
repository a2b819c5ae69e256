#pragma once

// Two-character codes for the SKEYs of generated catalogues: pairs of
// upper-case letters drawn in a fixed order, ASCII first, then Latin, Greek
// and Cyrillic capitals, so larger catalogues also carry non-ASCII SKEYs.

#include <set>
#include <string>
#include <vector>

namespace pipedex::bench {

// Every pair of code letters that is not taken (and not "FL", which flanges
// keep), in shells of growing largest letter index, so all-ASCII pairs come first.
std::vector<std::string> CodePool(const std::set<std::string>& taken);

}  // namespace pipedex::bench
