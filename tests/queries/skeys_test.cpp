#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_CPT>
  <Pipes><Pipe><SKEY>PB3D</SKEY><Operation> trim </Operation></Pipe><Nipple/></Pipes>
  <Elbows><Elbow-90><SKEY>EL**</SKEY><Operation>Trim</Operation></Elbow-90><Elbow-X><SKEY>ELSW</SKEY></Elbow-X></Elbows>
  <Welds><Weld><SKEY>WW**</SKEY><SKEY>ZSW3</SKEY><SKEY>zfw2</SKEY></Weld></Welds>
</A_CPT>
<A_ENDPREP>
  <ENDPREP Plotra="Y" Trimmable="Y" Attribute="Y">BW--</ENDPREP><ENDPREP Plotra="Y">SW--</ENDPREP>
  <ENDPREP Plotra="Y">FL--</ENDPREP><ENDPREP Trimmable="Y">GR--</ENDPREP>
</A_ENDPREP>
<A_SKEY>
  <SKEY Description="Elbow" Category="ERECTION" IsoPriority="40">EL**</SKEY>
  <SKEY Description="Butt elbow" Category="SHOP" IsoPriority="7">ELBW</SKEY>
  <SKEY Description="Socket elbow">ELSW</SKEY><SKEY Description="Tee" IsoPriority="2.5">TE**</SKEY>
  <SKEY Description="Bend" IsoPriority="x">PB3D</SKEY><SKEY Category="" IsoPriority="9999999999">TEST</SKEY>
</A_SKEY>
<A_DEFAULT_ENDPREP>
  <SKEYLIST><SKEY>EL**</SKEY><CP_1_PREP>**--</CP_1_PREP><CP_2_PREP>**--</CP_2_PREP></SKEYLIST>
  <SKEYLIST><SKEY>PB+D</SKEY><cp_1_prep>BW--</cp_1_prep><CP_1_PREP>GR--</CP_1_PREP><CP_3_PREP>FL--</CP_3_PREP></SKEYLIST>
</A_DEFAULT_ENDPREP>)");

// "found|Description|CP1|CP2|CP3|CP4" of GetSKEYData, starting from filled-in values.
std::string Data(Pipedex& p, const std::string& skey) {
  std::string d = "?", c1 = "?", c2 = "?", c3 = "?", c4 = "?";
  bool found = p.GetSKEYData(skey, d, c1, c2, c3, c4);
  return std::string(found ? "true" : "false") + "|" + d + "|" + c1 + "|" + c2 + "|" + c3 + "|" + c4;
}

TEST(FindSKEYs, ReplacesTheListOnlyWhenTheComponentTypeExists) {
  Fixture f(kCatalogue);
  EXPECT_EQ(f.pipedex.FindSKEYs(""), 6);
  EXPECT_EQ(f.pipedex.FindSKEYs("weld"), 3);
  EXPECT_EQ(f.pipedex.FindSKEYs("Nope"), 0);
  EXPECT_EQ(f.pipedex.GetSKEY(3), "zfw2");
  EXPECT_EQ(f.pipedex.FindSKEYs("Nipple"), 0);
  EXPECT_EQ(f.pipedex.SKEYCount(), 0);
}

TEST(GetSKEYData, DefaultEndPreparations) {
  Fixture f(kCatalogue);
  // "**--" takes the SKEY's own end preparation, "BW--" for a generic SKEY.
  EXPECT_EQ(Data(f.pipedex, "elsw"), "true|Socket elbow|SW--|SW--|XX--|XX--");
  EXPECT_EQ(Data(f.pipedex, "EL**"), "true|Elbow|BW--|BW--|XX--|XX--");
  EXPECT_EQ(Data(f.pipedex, "ELFL"), "true|Elbow|FL--|FL--|XX--|XX--");  // only the generic SKEY exists
  // A suffix SKEY without a default list: its own end preparation everywhere.
  EXPECT_EQ(Data(f.pipedex, "tebw"), "true|Tee|BW--|BW--|BW--|BW--");
  // The "+D" family; of two children of one connection point the later wins.
  EXPECT_EQ(Data(f.pipedex, "pb3d"), "true|Bend|GR--|XX--|FL--|XX--");
  EXPECT_EQ(Data(f.pipedex, ""), "false||XX--|XX--|XX--|XX--");
}

TEST(SKEYAttributes, GenericAndOwnEntriesInTheirOrders) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GetSKEYAttribute("ELBW", "cp_1_prep"), "BW--");
  // Attribute and priority try the generic entry first, the category the SKEY's own.
  EXPECT_EQ(p.GetSKEYAttribute("ELBW", "Category"), "ERECTION");
  EXPECT_EQ(p.GetIsoPriority("ELBW"), 40);
  EXPECT_EQ(p.GetDefaultCategory("ELBW"), "SHOP");
  EXPECT_EQ(p.GetDefaultCategory("ELSW"), "FABRICATION");
  EXPECT_EQ(p.GetDefaultCategory("TEST"), "");
  EXPECT_EQ(p.GetIsoPriority("TE**"), 2);
  EXPECT_EQ(p.GetIsoPriority("TEST"), 0);  // beyond the Long range
}

TEST(SKEYRules, WeldCountAndTrimming) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GetExpectedWeldNumberCount("ZSW3"), 3);
  EXPECT_EQ(p.GetExpectedWeldNumberCount("WWBW"), 1);
  EXPECT_EQ(p.GetExpectedWeldNumberCount("ELBW"), 0);

  EXPECT_TRUE(p.IsTrimmableComponentType("pipe"));
  EXPECT_TRUE(p.IsTrimmableEndByComponentType("Not-In-Catalogue-V", ""));
  EXPECT_FALSE(p.IsTrimmableEndByComponentType("Not-In-Catalogue-v", "BW"));
  EXPECT_TRUE(p.IsTrimmableEndByComponentType("Elbow-90", "BW"));
  EXPECT_FALSE(p.IsTrimmableEndByComponentType("Elbow-90", "SW"));
  // ELBW goes through EL**: Elbow-90 trims, and BW-- carries Attribute="Y".
  EXPECT_TRUE(p.IsTrimmableSKEY("ELBW"));
  EXPECT_FALSE(p.IsTrimmableSKEY("ELSW"));
  EXPECT_FALSE(p.IsTrimmableSKEY("PB3D"));  // GR-- is Trimmable but not Attribute
}

}  // namespace
}  // namespace pipedex::testing
