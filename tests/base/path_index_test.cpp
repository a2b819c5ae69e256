#include <gtest/gtest.h>

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
  pugi::xml_document system, variant;
  system.load_string(R"(<R><A_SKEY><SKEY>XABC</SKEY><SKEY>ABC</SKEY><SKEY>AB</SKEY><SKEY/><SKEY>Q<b>R</b></SKEY></A_SKEY>
    <A_CPT><G><T>x</T></G><G/></A_CPT><S><R><A_SKEY><SKEY>ZZ</SKEY></A_SKEY></R></S></R>)");
  variant.load_string(R"(<R><A_SKEY><SKEY>ABC</SKEY><SKEY>AB</SKEY><SKEY>B</SKEY><SKEY/><SKEY>QR</SKEY><SKEY>ZZ</SKEY>
    <SKEY>none</SKEY></A_SKEY><A_CPT><G/><G><T/></G><H/></A_CPT></R>)");
  PathIndex index(system);
  int compared = 0;
  for (pugi::xml_node n : SelectNodes(variant, "//*")) {
    EXPECT_EQ(index.FirstMatch(n), SelectSingleNode(system, NodePath(n, true))) << NodePath(n, true);
    ++compared;
  }
  EXPECT_EQ(compared, 14);
  pugi::xml_document quoted;
  quoted.load_string("<R><A_SKEY><SKEY>O'NEIL</SKEY></A_SKEY></R>");
  EXPECT_THROW(index.FirstMatch(quoted.child("R").child("A_SKEY").child("SKEY")), pipedex::Error);
}

}  // namespace
}  // namespace pipedex::xml
