// The folders of src/ are layers, and a file includes only its own layer and
// the ones below: base < platform < model < instance < the operations
// (queries, rules, overlays, which may use one another) < src/pipedex.cpp and
// the catalogue check (src/check).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(Layering, NoFileOfSrcIncludesAHigherLayer) {
  const std::map<std::string, int> layer = {{"base", 0},    {"platform", 1}, {"model", 2},    {"instance", 3},
                                            {"queries", 4}, {"rules", 4},    {"overlays", 4}, {"", 5}, {"check", 5}};
  const std::filesystem::path src = PIPEDEX_SOURCE_DIR "/src";
  const std::regex include(R"re(#include\s+"(\w+)/)re");
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const std::string folder = entry.path().parent_path() == src ? "" : entry.path().parent_path().filename().string();
    ASSERT_TRUE(layer.count(folder)) << "a folder of src/ that is no layer: " << folder;
    ++files;
    const std::string text = ReadFile(entry.path().string());
    for (std::sregex_iterator it(text.begin(), text.end(), include), end; it != end; ++it) {
      const std::string used = (*it)[1];
      if (used == "pipedex") continue;  // the public headers
      ASSERT_TRUE(layer.count(used)) << entry.path() << " includes from " << used;
      EXPECT_LE(layer.at(used), layer.at(folder)) << entry.path() << " includes from " << used;
    }
  }
  EXPECT_GT(files, 40);
}

}  // namespace
}  // namespace pipedex::testing
