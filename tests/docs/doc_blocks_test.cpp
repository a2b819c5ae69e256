// The guides cannot rot: every code block in docs/*.md is a copy of a file
// (or of consecutive lines of a file) that the tests build, load or run. A
// block says which, on the line before it:
//   <!-- file: docs/examples/look_up.cpp -->      the block is the whole file
//   <!-- excerpt: docs/examples/x.xml -->         the block is lines of the file
// README.md blocks that carry such a line are checked the same way.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <vector>

#include "docs/docs_support.h"

namespace pipedex::testing::docs {
namespace {

struct Block {
  std::string document;
  int line = 0;          // line of the opening fence
  std::string kind;      // "file", "excerpt" or "" when not annotated
  std::string source;    // the file it copies
  std::string text;      // the lines between the fences, each ending in "\n"
};

std::vector<Block> Blocks(const std::string& document) {
  std::vector<Block> blocks;
  std::istringstream in(ReadSource(document));
  static const std::regex annotation(R"(^<!-- (file|excerpt): (\S+) -->$)");
  std::string line, previous;
  int number = 0;
  Block* open = nullptr;
  while (std::getline(in, line)) {
    ++number;
    if (open) {
      if (line.rfind("```", 0) == 0) {
        open = nullptr;
      } else {
        open->text += line + "\n";
      }
    } else if (line.rfind("```", 0) == 0) {
      Block block{document, number, "", "", ""};
      std::smatch m;
      if (std::regex_match(previous, m, annotation)) {
        block.kind = m[1];
        block.source = m[2];
      }
      blocks.push_back(block);
      open = &blocks.back();
    }
    if (!line.empty()) previous = line;
  }
  EXPECT_EQ(open, nullptr) << document << ": a code block is not closed";
  return blocks;
}

void ExpectCopied(const Block& b) {
  std::string where = b.document + ":" + std::to_string(b.line);
  ASSERT_TRUE(std::filesystem::is_regular_file(SourcePath(b.source))) << where << ": no file " << b.source;
  std::string content = ReadSource(b.source);
  if (b.kind == "file") {
    EXPECT_EQ(b.text, content) << where << " differs from " << b.source;
  } else {
    EXPECT_FALSE(b.text.empty()) << where;
    EXPECT_NE(("\n" + content).find("\n" + b.text), std::string::npos)
        << where << " is not a run of whole lines of " << b.source;
  }
}

TEST(DocBlocks, EveryBlockOfTheGuidesIsACheckedCopyAndReadmeLinksEachGuide) {
  const std::string readme = ReadSource("README.md");
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("docs"))) {
    if (entry.path().extension() != ".md") continue;
    const std::string guide = "docs/" + entry.path().filename().string();
    EXPECT_NE(readme.find("](" + guide + ")"), std::string::npos) << "README does not link " << guide;
    for (const auto& b : Blocks(guide)) {
      EXPECT_FALSE(b.kind.empty()) << b.document << ":" << b.line << ": code block without a file or excerpt line";
      if (!b.kind.empty()) ExpectCopied(b), ++checked;
    }
  }
  EXPECT_GT(checked, 20);
  int marked = 0;
  for (const auto& b : Blocks("README.md"))
    if (!b.kind.empty()) ExpectCopied(b), ++marked;
  EXPECT_GE(marked, 2);
}

}  // namespace
}  // namespace pipedex::testing::docs
