#include <gtest/gtest.h>

#include <random>

#include "base/path_index.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "pipedex/error.h"
#include "test_support.h"

namespace pipedex::xml {
namespace {

// The index finds exactly what the XPath text of NodePath selects, including
// elements nested under a second element of the root's name, texts contained
// in an earlier longer text, and elements without text.
TEST(PathIndex, AgreesWithTheNodePathSelection) {
  // Every element of the variant against the system file; the number compared.
  auto compare = [](const std::string& systemText, const std::string& variantText) {
    pugi::xml_document system, variant;
    system.load_string(systemText.c_str());
    variant.load_string(variantText.c_str());
    PathIndex index(system);
    const std::vector<pugi::xml_node> nodes = SelectNodes(variant, "//*");
    const std::vector<pugi::xml_node> all = PathIndex(system).FirstMatches(nodes);  // all at once
    EXPECT_EQ(all.size(), nodes.size());
    int compared = 0;
    for (pugi::xml_node n : nodes) {
      EXPECT_EQ(index.FirstMatch(n), SelectSingleNode(system, NodePath(n, true))) << NodePath(n, true);
      EXPECT_EQ(all[static_cast<std::size_t>(compared)], index.FirstMatch(n)) << NodePath(n, true);
      ++compared;
    }
    return compared;
  };
  EXPECT_EQ(compare(R"(<R><A_SKEY><SKEY>XABC</SKEY><SKEY>ABC</SKEY><SKEY>AB</SKEY><SKEY/><SKEY>Q<b>R</b></SKEY></A_SKEY>
    <A_CPT><G><T>x</T></G><G/></A_CPT><S><R><A_SKEY><SKEY>ZZ</SKEY></A_SKEY></R></S></R>)",
                    R"(<R><A_SKEY><SKEY>ABC</SKEY><SKEY>AB</SKEY><SKEY>B</SKEY><SKEY/><SKEY>QR</SKEY><SKEY>ZZ</SKEY>
    <SKEY>none</SKEY></A_SKEY><A_CPT><G/><G><T/></G><H/></A_CPT></R>)"),
            14);
  // Texts of two letters share most of their substrings.
  std::mt19937 random(3);
  std::string texts[2];
  for (int i = 0; i < 60; ++i) {
    texts[i % 2] += "<SKEY>";
    for (auto n = random() % 7; n > 0; --n) texts[i % 2] += "ab"[random() % 2];
    texts[i % 2] += "</SKEY>";
  }
  EXPECT_EQ(compare("<R>" + texts[0] + "</R>", "<R>" + texts[1] + "</R>"), 31);
  // Long texts, looked for one by one: in an earlier longer text, equal to a later one, or in none.
  const std::string a(300, 'a'), b(300, 'b');
  EXPECT_EQ(compare("<R><S>x" + a + "y</S><S>" + a + "</S><S>" + b + "</S><S>" + b + "</S></R>",
                    "<R><S>" + a + "</S><S>" + b + "</S><S>" + a + b + "</S><S>ab</S></R>"),
            5);
  pugi::xml_document system, quoted;
  system.load_string("<R><A_SKEY><SKEY>x</SKEY></A_SKEY></R>");
  quoted.load_string("<R><A_SKEY><SKEY>O'NEIL</SKEY></A_SKEY></R>");
  EXPECT_THROW(PathIndex(system).FirstMatch(quoted.child("R").child("A_SKEY").child("SKEY")), pipedex::Error);
  // All at once, the answers stop before the element whose path is invalid.
  EXPECT_EQ(PathIndex(system).FirstMatches({system.first_child().first_child().first_child(), quoted.first_child().first_child().first_child()}).size(), 1u);
}

}  // namespace
}  // namespace pipedex::xml
