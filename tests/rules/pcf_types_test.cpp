#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP></A_ENDPREP>
<A_CPT><G>
  <Valve-A PCFTYPE="VALVE"><SKEY>VA**</SKEY></Valve-A>
  <Valve-B PCFTYPE="VALVE-X"><SKEY>VABW</SKEY></Valve-B>
  <Valve-C PCFTYPE="VALVE"><SKEY>VABW</SKEY><SKEY>MIXD</SKEY></Valve-C>
  <Valve-D PCFTYPE="valve"><SKEY>MIXD</SKEY></Valve-D>
</G></A_CPT>
<A_PCFIDF>
  <VALVE-X><IDF>150</IDF><DEFAULT/></VALVE-X>
  <VALVE><IDF>150</IDF><IDF>160</IDF></VALVE>
  <MISC><IDF>160</IDF></MISC>
  <VALVE/>
</A_PCFIDF>
<WELD-EXCLUSION-LIST><EXCLUDE IDF="100"/><EXCLUDE IDF="200" SKEY=" vabw "/></WELD-EXCLUSION-LIST>)");

std::vector<std::string> Found(Pipedex& p, const std::string& skey, std::int32_t record) {
  std::vector<std::string> names;
  const std::int32_t n = p.FindPCFTYPEs(skey, record);
  EXPECT_EQ(n, p.PCFTYPECount());
  for (std::int32_t i = 1; i <= n; ++i) names.push_back(p.GetPCFTYPE(i));
  return names;
}

using Names = std::vector<std::string>;

TEST(FindPCFTYPEs, EachCandidateRule) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(Found(p, "VABW", 0), (Names{"VALVE", "VALVE-X"}));  // generic form first, each name once
  EXPECT_EQ(Found(p, "MIXD", 0), (Names{"VALVE", "valve"}));     // duplicates in other letter case stay
  EXPECT_EQ(Found(p, "*", 150), (Names{"VALVE-X", "VALVE"}));
  EXPECT_EQ(Found(p, "", 999), (Names{"VALVE-X", "VALVE", "MISC"}));
  EXPECT_EQ(Found(p, "*", 999), (Names{"VALVE", "VALVE-X", "valve"}));
  EXPECT_EQ(p.GetPCFTYPE(0), "");
  EXPECT_EQ(p.GetPCFTYPE(4), "");
}

TEST(FindPCFTYPEs, RecordFitDefaultsAndWeldExclusions) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  // The record's order decides: VALVE-X before VALVE.
  EXPECT_EQ(Found(p, "VABW", 150), (Names{"VALVE-X", "VALVE"}));
  EXPECT_EQ(Found(p, "MIXD", 160), (Names{"VALVE", "valve"}));
  EXPECT_EQ(Found(p, "VABW", 777), Names{});  // a record the catalogue does not hold
  EXPECT_EQ(Found(p, "NONE", 150), Names{"VALVE-X"});
  EXPECT_EQ(Found(p, "NONE", 999), Names{""});
  EXPECT_EQ(Found(p, "NONE", 0), Names{});
  EXPECT_EQ(p.GetDefaultPCFTYPE(150), "VALVE-X");
  EXPECT_EQ(p.GetDefaultPCFTYPE(160), "");  // two types, none marked
  EXPECT_EQ(p.GetDefaultPCFTYPE(-3), "");
  // Weld exclusions: the whole record, or one SKEY in any letter case.
  EXPECT_FALSE(p.WeldAttributesAllowed(100, "ANY") || p.WeldAttributesAllowed(200, "VABW"));
  EXPECT_TRUE(p.WeldAttributesAllowed(200, "VA**") && p.WeldAttributesAllowed(300, "VABW"));
}

TEST(FindPCFTYPEs, CatalogueWithoutPCFTypeSection) {
  Fixture f(Catalogue("<A_CPT><G><Pipe PCFTYPE='PIPE'><SKEY>PIPE</SKEY></Pipe></G></A_CPT>"));
  EXPECT_EQ(Found(f.pipedex, "", 999), Names{""});
  EXPECT_EQ(Found(f.pipedex, "PIPE", 0), Names{"PIPE"});
}

}  // namespace
}  // namespace pipedex::testing
