// The folders of src/ are layers, and a file uses only its own folder and the
// folders below it: base < cache < platform < model < instance < the areas whose files
// define the members of Pipedex (src/queries, what the catalogue holds;
// src/rules, decisions that build on the queries, never the reverse;
// src/overlays, the files and changes, on its own) < the construction
// (src/pipedex.cpp). The catalogue check (src/check) stands on base,
// platform and model. The public headers (include/pipedex) are open to
// every folder, but pipedex.h only to the instance, the areas and the
// construction. A member calls only members of its own area or of an area
// its area may use (calls from the other folders are to their own functions).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using Folders = std::set<std::string>;

const Folders kLower = {"base", "cache", "platform", "model"};
const Folders kInstance = {"base", "cache", "platform", "model", "instance"};
// Each folder of src/ ("" for src/ itself) with the folders it may use besides its own.
const std::map<std::string, Folders> kMayUse = {
    {"base", {}},        {"cache", {"base"}}, {"platform", {"base", "cache"}}, {"model", {"base", "platform"}},
    {"instance", kLower},
    {"queries", kInstance}, {"overlays", kInstance}, {"check", kInstance},
    {"rules", {"base", "platform", "model", "instance", "queries"}}, {"", kInstance},
};
const Folders kMayUsePipedexH = {"instance", "queries", "rules", "overlays", ""};

TEST(Layering, EveryFolderUsesOnlyTheFoldersBelowIt) {
  struct SourceFile {
    std::string path, folder, text;  // text without comments
  };
  std::vector<SourceFile> files;
  const std::filesystem::path src = PIPEDEX_SOURCE_DIR "/src";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src))
    if (entry.is_regular_file())
      files.push_back({entry.path().string(),
                       entry.path().parent_path() == src ? "" : entry.path().parent_path().filename().string(),
                       std::regex_replace(ReadFile(entry.path().string()), std::regex("//[^\n]*"), "")});
  const std::regex include(R"re(#include\s+"(\w+)/(\w+))re");
  const std::regex definition(R"(Pipedex::(\w+)\()");
  std::map<std::string, std::string> memberFolder;  // each member defined in an area, with its folder
  for (const SourceFile& f : files) {
    ASSERT_TRUE(kMayUse.count(f.folder)) << "a folder of src/ that is no layer: " << f.folder;
    for (std::sregex_iterator it(f.text.begin(), f.text.end(), include), end; it != end; ++it) {
      const std::string used = (*it)[1], header = (*it)[2];
      const bool allowed = used == "pipedex" ? header != "pipedex" || kMayUsePipedexH.count(f.folder)
                                             : used == f.folder || kMayUse.at(f.folder).count(used);
      EXPECT_TRUE(allowed) << f.path << " includes " << used << "/" << header;
    }
    if (f.folder != "")
      for (std::sregex_iterator it(f.text.begin(), f.text.end(), definition), end; it != end; ++it)
        memberFolder[(*it)[1]] = f.folder;
  }
  EXPECT_GT(files.size(), 40u);
  EXPECT_GT(memberFolder.size(), 60u);
  const Folders memberAreas = {"queries", "rules", "overlays"};
  for (const auto& [member, folder] : memberFolder) {
    const std::regex call("(^|[^.\\w>:])" + member + "\\(");
    for (const SourceFile& f : files) {
      if (!memberAreas.count(f.folder) || folder == f.folder || kMayUse.at(f.folder).count(folder)) continue;
      EXPECT_FALSE(std::regex_search(f.text, call)) << f.path << " calls " << member << " of src/" << folder;
    }
  }
}

}  // namespace
}  // namespace pipedex::testing
