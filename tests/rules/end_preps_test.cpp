#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP>
  <ENDPREP Plotra="Y" Description="Butt weld" Trimmable="Y">BW--</ENDPREP>
  <ENDPREP Plotra="Y" Description="Butt weld, bevelled" Trimmable="N">BW--</ENDPREP>
  <ENDPREP Plotra="y">SC--</ENDPREP><ENDPREP>GR--</ENDPREP>
</A_ENDPREP>
<A_SKEY><SKEY>ELBW</SKEY><SKEY>VT**</SKEY><SKEY>FLSC</SKEY></A_SKEY>
<A_DEFAULT_ENDPREP><SKEYLIST><SKEY>EL**</SKEY><CP_1_PREP>**--</CP_1_PREP></SKEYLIST></A_DEFAULT_ENDPREP>
<DefaultConnectionTable><ENDPREP Name="BW--" Allow="SW--"/></DefaultConnectionTable>)");

TEST(EndPreps, DescriptionReadsTheLastMatchAttributeTheFirst) {
  Fixture f(kCatalogue);
  EXPECT_EQ(f.pipedex.GetEndPrepDescription("BW--"), "Butt weld, bevelled");
  EXPECT_EQ(f.pipedex.GetEndPrepAttribute("BW--", "Trimmable"), "Y");
  EXPECT_EQ(f.pipedex.GetEndPrepDescription("BW-- "), "");
  EXPECT_EQ(f.pipedex.GetEndPrepAttribute("bw--", "Trimmable"), "");
}

// These load the catalogue themselves, so a new instance answers from it.
TEST(EndPreps, PlotraConsistencyAndConnectionOnNewInstances) {
  EXPECT_TRUE(Fixture(kCatalogue).pipedex.IsPlotraEndPrep("bw"));
  std::string bw = "BW--", crafted = "x' or '1'='1";
  EXPECT_EQ(Fixture(kCatalogue).pipedex.GetDefaultAllowedConnection(bw), "SW--");
  Fixture f(kCatalogue);
  std::string ep = "BW--", skey = "FLSC";
  EXPECT_FALSE(f.pipedex.IsEndPrepConsistent(ep, skey));
  EXPECT_EQ(ep + skey, "BW--FLSC");
  EXPECT_TRUE(f.pipedex.IsPlotraEndPrep("BWX"));
  EXPECT_FALSE(f.pipedex.IsPlotraEndPrep("SC--"));  // Plotra="y" does not count
  auto consistent = [&](std::string e, std::string s) { return f.pipedex.IsEndPrepConsistent(e, s); };
  EXPECT_TRUE(consistent("GR--", "FLSC"));   // not flagged: always consistent
  EXPECT_TRUE(consistent("bw", "ELBW"));     // connection point 1 is BW--
  EXPECT_TRUE(consistent("BW--", "VT**"));   // generic SKEY
  EXPECT_TRUE(consistent("BW--", "PPbw"));   // unknown, ends in the end preparation
  EXPECT_FALSE(consistent("BW--", "PPSC"));  // SC is not flagged: no suffix
  EXPECT_THROW(f.pipedex.GetDefaultAllowedConnection(crafted), Error);
}

}  // namespace
}  // namespace pipedex::testing
