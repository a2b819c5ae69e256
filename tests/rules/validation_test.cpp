#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP><ENDPREP Plotra="Y">FL--</ENDPREP></A_ENDPREP>
<A_CPT><G>
  <Valve-Gate PCFTYPE="VALVE"><SKEY>VT**</SKEY><PCFTYPE_DEFAULT/></Valve-Gate>
  <Valve-Ball PCFTYPE="VALVE"><SKEY>VB**</SKEY><SKEY_DEFAULT/></Valve-Ball>
  <Valve-Plug PCFTYPE="VALVE"><SKEY>VB**</SKEY><PCFTYPE_DEFAULT/><SKEY_DEFAULT/></Valve-Plug>
  <Flange PCFTYPE="FLANGE"><SKEY>FLWN</SKEY></Flange>
  <Blank PCFTYPE="MISC"/>
  <Shoe><Placement><ComponentType> pipe </ComponentType><SKEY>elbw</SKEY></Placement></Shoe>
  <Clamp><Placement><Note>PIPE</Note></Placement></Clamp>
</G></A_CPT>)");

TEST(Validation, ValidDataAndPlacements) {
  Fixture f(kCatalogue);
  ExpectAnswers(f.pipedex, {
      // The PCF type as master (0): OK 0, FAIL 1, MODIFIED 2.
      {"GetValidData", {"NOPE", "VTBW", "0", "?", "?"}, R"(1 "" "")"},
      {"GetValidData", {"VALVE", "vtbw", "0"}, R"(0 "vtbw" "Valve-Gate")"},
      // The last marked default; its generic SKEY takes the first end preparation,
      // or the tested SKEY's own end for a suffix SKEY.
      {"GetValidData", {"VALVE", "FLWN", "0"}, R"(2 "VBBW" "Valve-Plug")"},
      {"SKEYCount", {}, "1"},  // the SKEY list now holds the default's SKEYs
      {"GetValidData", {"VALVE", "XXFL", "0"}, R"(2 "VBFL" "Valve-Plug")"},
      {"GetValidData", {"MISC", "  ", "0"}, R"(0 "  " "Blank")"},
      {"GetValidData", {"MISC", "ABCD", "0"}, R"(2 "" "Blank")"},
      // The SKEY as master (1, and any other value).
      {"GetValidData", {"VALVE", "NONE", "1", "?", "?"}, R"(1 "" "")"},
      {"GetValidData", {"VALVE", "VBBW", "1"}, R"(0 "VALVE" "Valve-Ball")"},
      {"GetValidData", {"FLANGE", "VBBW", "7"}, R"(2 "VALVE" "Valve-Plug")"},
      {"GetValidData", {"VALVE", "FLWN", "1"}, R"(2 "FLANGE" "Flange")"},
      {"IsSKEYDefault", {"valve-ball"}, "true"}, {"IsPCFTypeDefault", {"Valve-Gate"}, "true"},
      {"IsPCFTypeDefault", {"Valve-Ball"}, "false"}, {"IsSKEYDefault", {"Nothing"}, "false"},
      // Placement rules by component type, then SKEY; no rules: anywhere.
      {"IsValidPlacement", {"Flange", "", ""}, "true"}, {"IsValidPlacement", {"Flange", "x'y", ""}, "true"},
      {"IsValidPlacement", {"Shoe", "PIPE", ""}, "true"}, {"IsValidPlacement", {"shoe", "Tee", " ELBW"}, "true"},
      {"IsValidPlacement", {"Shoe", "Tee", "TEBW"}, "false"}, {"IsValidPlacement", {"Shoe", "x'y", "ELBW"}, "false"},
      {"IsValidPlacement", {"Clamp", "PIPE", "PIPE"}, "false"},  // rules exist, none can match
      {"IsValidPlacement", {"Unknown", "PIPE", ""}, "false"},
  });
}

// GetValidData on long lists: the first component type of the outer list that
// the other list holds (letter case aside) is still the one reported.
TEST(GetValidData, LongListsReportTheFirstSharedComponentType) {
  std::string cpts;
  for (int i = 0; i < 10; ++i) cpts += "<A" + std::to_string(i) + " PCFTYPE='X'/>";
  for (int i = 1; i < 10; ++i) cpts += "<B" + std::to_string(i) + " PCFTYPE='Y'><SKEY>S</SKEY></B" + std::to_string(i) + ">";
  cpts += "<a9 PCFTYPE='Z'><SKEY>S</SKEY></a9>";
  Fixture f(Catalogue("<A_CPT><G>" + cpts + "</G></A_CPT>"));
  std::string data, type;
  EXPECT_EQ(f.pipedex.GetValidData("X", "S", vdM_SKEY, data, type), vdR_OK);
  EXPECT_EQ(type, "A9");
  EXPECT_EQ(f.pipedex.GetValidData("X", "S", vdM_PCFTYPE, data, type), vdR_OK);
  EXPECT_EQ(type, "a9");
}

}  // namespace
}  // namespace pipedex::testing
