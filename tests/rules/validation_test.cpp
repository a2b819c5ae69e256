#include <gtest/gtest.h>

#include <tuple>

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

using Answer = std::tuple<ValidDataReturn, std::string, std::string>;

Answer Valid(Pipedex& p, const std::string& pcfType, const std::string& skey, ValidDataMaster master) {
  std::string data = "?", componentType = "?";
  ValidDataReturn r = p.GetValidData(pcfType, skey, master, data, componentType);
  return {r, data, componentType};
}

TEST(GetValidData, PCFTypeOrSKEYAsMaster) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(Valid(p, "NOPE", "VTBW", vdM_PCFTYPE), (Answer{vdR_FAIL, "", ""}));
  EXPECT_EQ(Valid(p, "VALVE", "vtbw", vdM_PCFTYPE), (Answer{vdR_OK, "vtbw", "Valve-Gate"}));
  // The last marked default; its generic SKEY takes the first end preparation,
  // or the tested SKEY's own end for a suffix SKEY.
  EXPECT_EQ(Valid(p, "VALVE", "FLWN", vdM_PCFTYPE), (Answer{vdR_MODIFIED, "VBBW", "Valve-Plug"}));
  EXPECT_EQ(p.SKEYCount(), 1);  // the SKEY list now holds the default's SKEYs
  EXPECT_EQ(Valid(p, "VALVE", "XXFL", vdM_PCFTYPE), (Answer{vdR_MODIFIED, "VBFL", "Valve-Plug"}));
  EXPECT_EQ(Valid(p, "MISC", "  ", vdM_PCFTYPE), (Answer{vdR_OK, "  ", "Blank"}));
  EXPECT_EQ(Valid(p, "MISC", "ABCD", vdM_PCFTYPE), (Answer{vdR_MODIFIED, "", "Blank"}));
  // The SKEY as master.
  EXPECT_EQ(Valid(p, "VALVE", "NONE", vdM_SKEY), (Answer{vdR_FAIL, "", ""}));
  EXPECT_EQ(Valid(p, "VALVE", "VBBW", vdM_SKEY), (Answer{vdR_OK, "VALVE", "Valve-Ball"}));
  EXPECT_EQ(Valid(p, "FLANGE", "VBBW", static_cast<ValidDataMaster>(7)), (Answer{vdR_MODIFIED, "VALVE", "Valve-Plug"}));
  EXPECT_EQ(Valid(p, "VALVE", "FLWN", vdM_SKEY), (Answer{vdR_MODIFIED, "FLANGE", "Flange"}));
  EXPECT_TRUE(p.IsSKEYDefault("valve-ball") && p.IsPCFTypeDefault("Valve-Gate"));
  EXPECT_FALSE(p.IsPCFTypeDefault("Valve-Ball") || p.IsSKEYDefault("Nothing"));
}

TEST(IsValidPlacement, RulesByComponentTypeThenSKEY) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_TRUE(p.IsValidPlacement("Flange", "", ""));  // no rules: anywhere
  EXPECT_TRUE(p.IsValidPlacement("Flange", "x'y", ""));
  EXPECT_TRUE(p.IsValidPlacement("Shoe", "PIPE", ""));
  EXPECT_TRUE(p.IsValidPlacement("shoe", "Tee", " ELBW"));
  EXPECT_FALSE(p.IsValidPlacement("Shoe", "Tee", "TEBW"));
  EXPECT_FALSE(p.IsValidPlacement("Shoe", "x'y", "ELBW"));
  EXPECT_FALSE(p.IsValidPlacement("Clamp", "PIPE", "PIPE"));  // rules exist, none can match
  EXPECT_FALSE(p.IsValidPlacement("Unknown", "PIPE", ""));
}

}  // namespace
}  // namespace pipedex::testing
