// SKEYs: lists, data with default end preparations, attributes in their
// lookup orders, weld counts and trimming.

#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(SKEYs, AnswerFromTheirOwnAndTheirGenericEntries) {
  Fixture f(Catalogue(R"(
<A_CPT>
  <Pipes><Pipe><SKEY>PB3D</SKEY><Operation> trim </Operation></Pipe><Nipple/></Pipes>
  <Elbows><Elbow-90><SKEY>EL**</SKEY><Operation>Trim</Operation></Elbow-90><Elbow-X><SKEY>ELSW</SKEY></Elbow-X></Elbows>
  <Welds><Weld><SKEY>WW**</SKEY><SKEY>ZSW3</SKEY><SKEY>zfw2</SKEY><SKEY>ZSW</SKEY><SKEY>ZSWA</SKEY></Weld></Welds>
</A_CPT>
<A_ENDPREP>
  <ENDPREP Plotra="Y" Trimmable="Y" Attribute="Y">BW--</ENDPREP><ENDPREP Plotra="Y">SW--</ENDPREP>
  <ENDPREP Plotra="Y" Attribute="Y">FL--</ENDPREP><ENDPREP Trimmable="Y">GR--</ENDPREP>
</A_ENDPREP>
<A_SKEY>
  <SKEY Description="Elbow" Category="ERECTION" IsoPriority="40">EL**</SKEY>
  <SKEY Description="Butt elbow" Category="SHOP" IsoPriority="7">ELBW</SKEY>
  <SKEY Description="Socket elbow">ELSW</SKEY><SKEY Description="Tee" IsoPriority="2.5">TE**</SKEY>
  <SKEY Description="Bend" IsoPriority="x">PB3D</SKEY><SKEY Category="" IsoPriority="9999999999">TEST</SKEY>
</A_SKEY>
<A_DEFAULT_ENDPREP>
  <SKEYLIST><SKEY>EL**</SKEY><CP_1_PREP>**--</CP_1_PREP><CP_2_PREP>**--</CP_2_PREP></SKEYLIST>
  <SKEYLIST><SKEY>PB+D</SKEY><cp_1_prep>BW--</cp_1_prep><CP_1_PREP>GR--</CP_1_PREP><CP_2_PXEP>BW--</CP_2_PXEP><CP_3_PREP>FL--</CP_3_PREP><CP_4_PREP>SW--</CP_4_PREP><CP_5_PREP>BW--</CP_5_PREP><CP_0_PREP>BW--</CP_0_PREP></SKEYLIST>
</A_DEFAULT_ENDPREP>)"));
  ExpectAnswers(f.pipedex, {
      {"FindSKEYs", {""}, "6"}, {"FindSKEYs", {"weld"}, "5"}, {"FindSKEYs", {"Nope"}, "0"}, {"GetSKEY", {"3"}, R"("zfw2")"},
      {"FindSKEYs", {"Nipple"}, "0"}, {"SKEYCount", {}, "0"},
      // "**--" takes the SKEY's own end preparation, "BW--" for a generic SKEY.
      {"GetSKEYData", {"elsw", "?", "?", "?", "?", "?"}, R"(true "Socket elbow" "SW--" "SW--" "XX--" "XX--")"},
      {"GetSKEYData", {"EL**"}, R"(true "Elbow" "BW--" "BW--" "XX--" "XX--")"},
      {"GetSKEYData", {"ELFL"}, R"(true "Elbow" "FL--" "FL--" "XX--" "XX--")"},  // only the generic SKEY exists
      // A suffix SKEY without a default list: its own end preparation everywhere.
      {"GetSKEYData", {"tebw"}, R"(true "Tee" "BW--" "BW--" "BW--" "BW--")"},
      // The "+D" family; of two children of one connection point the later wins.
      {"GetSKEYData", {"pb3d"}, R"(true "Bend" "GR--" "XX--" "FL--" "SW--")"},
      {"GetSKEYData", {"TEST"}, R"(true "" "XX--" "XX--" "XX--" "XX--")"},  // no default list
      {"GetSKEYData", {"", "?", "?", "?", "?", "?"}, R"(false "" "XX--" "XX--" "XX--" "XX--")"},
      {"GetSKEYAttribute", {"ELBW", "cp_1_prep"}, R"("BW--")"},
      // Attribute and priority try the generic entry first, the category the SKEY's own.
      {"GetSKEYAttribute", {"ELBW", "Category"}, R"("ERECTION")"}, {"GetIsoPriority", {"ELBW"}, "40"},
      {"GetDefaultCategory", {"ELBW"}, R"("SHOP")"}, {"GetDefaultCategory", {"ELSW"}, R"("FABRICATION")"},
      {"GetDefaultCategory", {"TEST"}, R"("")"}, {"GetIsoPriority", {"TE**"}, "2"},
      {"GetIsoPriority", {"TEST"}, "0"},  // beyond the Long range
      // A weld SKEY "Z..d" carries its weld count as the fourth character.
      {"GetExpectedWeldNumberCount", {"ZSW3"}, "3"}, {"GetExpectedWeldNumberCount", {"WWBW"}, "1"},
      {"GetExpectedWeldNumberCount", {"ELBW"}, "0"}, {"GetExpectedWeldNumberCount", {"ZSW"}, "1"},
      {"GetExpectedWeldNumberCount", {"ZSWA"}, "1"}, {"GetExpectedWeldNumberCount", {"zfw2"}, "2"},
      {"IsTrimmableComponentType", {"pipe"}, "true"}, {"IsTrimmableComponentType", {"Elbow-X"}, "false"},
      {"IsTrimmableEndByComponentType", {"Not-In-Catalogue-V", ""}, "true"},
      {"IsTrimmableEndByComponentType", {"Not-In-Catalogue-v", "BW"}, "false"},
      {"IsTrimmableEndByComponentType", {"Elbow-90", "BW"}, "true"},
      {"IsTrimmableEndByComponentType", {"Elbow-90", "SW"}, "false"},
      // ELBW goes through EL**: Elbow-90 trims, and BW-- carries Attribute="Y".
      {"IsTrimmableSKEY", {"ELBW"}, "true"}, {"IsTrimmableSKEY", {"ELSW"}, "false"},
      {"IsTrimmableSKEY", {"ELGR"}, "false"},  // GR-- is Trimmable but not Attribute
      {"IsTrimmableSKEY", {"PB3D"}, "true"},   // FL-- at its third connection point is
  });
  Fixture second(Catalogue("<A_CPT><G><T><SKEY>TTGR</SKEY><Operation>Trim</Operation></T></G></A_CPT><A_SKEY><SKEY>TTGR</SKEY>"
                           "</A_SKEY><A_ENDPREP><ENDPREP Attribute='Y'>FL--</ENDPREP></A_ENDPREP><A_DEFAULT_ENDPREP><SKEYLIST>"
                           "<SKEY>TTGR</SKEY><CP_2_PREP>FL--</CP_2_PREP></SKEYLIST></A_DEFAULT_ENDPREP>"));
  EXPECT_TRUE(second.pipedex.IsTrimmableSKEY("TTGR"));  // through its second connection point alone
}

}  // namespace
}  // namespace pipedex::testing
