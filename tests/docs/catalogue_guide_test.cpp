// The catalogue format guide's files load and answer as the guide says: the
// complete small catalogue, its German variant and the project overlay.

#include <gtest/gtest.h>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

const std::string kCatalogue = "docs/examples/catalogue/SystemPipedex.xml";

TEST(CatalogueGuide, TheCompleteSmallCatalogueLoadsAndAnswers) {
  Fixture f(ReadSource(kCatalogue));
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GroupCount(), 5);
  EXPECT_EQ(p.SKEYCount(), 8);
  EXPECT_EQ(p.EndPrepCount(), 3);
  EXPECT_EQ(p.OperationCount(), 3);
  EXPECT_EQ(p.ConfigurationCount(), 6);
  EXPECT_EQ(p.GetConfiguration(1), "Straight");
  EXPECT_EQ(p.PCFTYPECount(), 5);

  // Generic SKEYs: ELFL is not listed, EL** answers with FL-- ends.
  std::string description, cp1, cp2, cp3, cp4;
  ASSERT_TRUE(p.GetSKEYData("ELFL", description, cp1, cp2, cp3, cp4));
  EXPECT_EQ(description, "Elbow");
  EXPECT_EQ(cp1 + cp2 + cp3 + cp4, "FL--FL--XX--XX--");
  ASSERT_TRUE(p.GetSKEYData("ELBW", description, cp1, cp2, cp3, cp4));
  EXPECT_EQ(description, "Elbow, butt-welded");
  EXPECT_EQ(p.FindComponentTypes("", "SKEY", "ELBW"), 3);
  EXPECT_EQ(p.GetDefaultCategory("SURS"), "ERECTION");
  EXPECT_EQ(p.GetDefaultCategory("ZSW2"), "FABRICATION");  // the default
  EXPECT_EQ(p.GetExpectedWeldNumberCount("ZSW2"), 2);

  // Default elbows come from the keypoints; the NonStandard one is not one.
  auto elbows = p.DefaultElbows();
  ASSERT_EQ(elbows.size(), 2u);
  EXPECT_EQ(elbows[0].ComponentType, "Elbow-90");
  EXPECT_DOUBLE_EQ(elbows[0].Angle, 90);
  EXPECT_DOUBLE_EQ(elbows[1].Angle, 45);

  EXPECT_TRUE(p.IsValidPlacement("Support-Rest", "Pipe", ""));
  EXPECT_TRUE(p.IsValidPlacement("Support-Rest", "Elbow-45", "elbw"));
  EXPECT_FALSE(p.IsValidPlacement("Support-Rest", "Flange-WeldNeck", "FLWN"));
  EXPECT_EQ(p.GetDefaultPCFTYPE(100), "PIPE");
  EXPECT_EQ(p.GetIDFAttribute("COMPONENT-ATTRIBUTE3"), 498);
  EXPECT_EQ(p.PCFAttributeCheck("SPOOL-IDENTIFIER"), attDisplayNameIsValid);
  EXPECT_EQ(p.PCFAttributeCheck("COMPONENT-STATUS"), attIsSuppressed);
  EXPECT_FALSE(p.WeldAttributesAllowed(180, "SURS"));
  EXPECT_FALSE(p.WeldAttributesAllowed(130, "FLWN"));
  EXPECT_TRUE(p.WeldAttributesAllowed(130, "FLSO"));
  EXPECT_DOUBLE_EQ(p.GetConvertedBore("MM", "IN", 2), 50);
  EXPECT_DOUBLE_EQ(p.GetConvertedBore("MM", "IN", 3), 75);
  std::string bw = "BW--";
  EXPECT_EQ(p.GetDefaultAllowedConnection(bw), "BW--");
  EXPECT_TRUE(p.GetSystemSymbols());
  EXPECT_STREQ(p.GetComponentTypeDefaultDataEntry("Pipe").child("Field").attribute("Name").value(), "Length");
  EXPECT_EQ(p.GetComponentTypeDefaultConfiguration("Elbow-NonStandard").child("Keypoint").attribute("Name").as_string(),
            std::string("Run_1"));
  EXPECT_TRUE(p.IsTrimmableSKEY("ELBW"));
  EXPECT_TRUE(p.IsOperationSupported("Pipe", opBranch));
  EXPECT_TRUE(p.HasFlag("Pipe", flVariable));
}

TEST(CatalogueGuide, TheGermanVariantReplacesTexts) {
  Fixture f(ReadSource(kCatalogue), {"de", "AT"});
  f.dir.Write("SystemPipedex.de.xml", ReadSource("docs/examples/catalogue/SystemPipedex.de.xml"));
  Pipedex& p = f.pipedex;
  std::string group, pcf, config, description;
  ASSERT_TRUE(p.GetComponentTypeData("Elbow-90", group, pcf, config, description));
  EXPECT_EQ(description, "Bogen 90°");
  EXPECT_EQ(p.GetGroupAttribute("Elbows", "Description"), "Bögen");
  EXPECT_EQ(p.GetEndPrepDescription("BW--"), "Stumpfnaht");
  EXPECT_EQ(p.GetSKEYAttribute("ELBW", "Description"), "Bogen, stumpfgeschweißt");
  EXPECT_EQ(p.GetSKEYAttribute("ELFL", "Description"), "Elbow");  // not translated: stays
}

TEST(CatalogueGuide, TheProjectOverlayMerges) {
  Fixture f(ReadSource(kCatalogue));
  Pipedex& p = f.pipedex;
  ASSERT_TRUE(p.LoadProjectXML(SourcePath("docs/examples/catalogue/project-overlay.xml")));
  EXPECT_EQ(p.GroupCount(), 6);
  EXPECT_EQ(p.GetGroup(6), "Valves");
  std::string group, pcf, config, description, cp1, cp2, cp3, cp4;
  ASSERT_TRUE(p.GetComponentTypeData("Support-Rest", group, pcf, config, description));
  EXPECT_EQ(group, "Pipes");
  EXPECT_EQ(p.FindSKEYs("Flange-WeldNeck"), 2);
  ASSERT_TRUE(p.GetSKEYData("VTFL", description, cp1, cp2, cp3, cp4));
  EXPECT_EQ(description, "Gate valve");
  EXPECT_DOUBLE_EQ(p.GetConvertedBore("MM", "IN", 2), 51);
  EXPECT_DOUBLE_EQ(p.GetConvertedBore("IN", "MM", 50), 2);  // the 50 / 2 row was replaced
  EXPECT_TRUE(p.GetProjectSymbols());

  // Saved as ProjectPipedex.xml beside the catalogue, it is merged on first use.
  Fixture beside(ReadSource(kCatalogue));
  beside.dir.Write("ProjectPipedex.xml", ReadSource("docs/examples/catalogue/project-overlay.xml"));
  EXPECT_EQ(beside.pipedex.GroupCount(), 6);
  EXPECT_EQ(beside.pipedex.ProjectXMLPath(), beside.dir.path() + "/ProjectPipedex.xml");
}

}  // namespace
}  // namespace pipedex::testing::docs
