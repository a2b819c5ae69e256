// The catalogue format guide's files answer as the guide says: the complete
// small catalogue, its German variant and the project overlay.

#include <gtest/gtest.h>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

TEST(CatalogueGuide, TheGuidesFilesAnswerAsTheGuideSays) {
  const std::string catalogue = ReadSource("docs/examples/catalogue/SystemPipedex.xml");
  const std::string overlay = SourcePath("docs/examples/catalogue/project-overlay.xml");
  Fixture f(catalogue);
  ExpectAnswers(f.pipedex, {
      {"GroupCount", {}, "5"}, {"SKEYCount", {}, "8"}, {"EndPrepCount", {}, "3"}, {"OperationCount", {}, "3"},
      {"ConfigurationCount", {}, "6"}, {"GetConfiguration", {"1"}, R"("Straight")"}, {"PCFTYPECount", {}, "5"},
      // ELFL is not listed: the generic EL** answers, with FL-- ends.
      {"GetSKEYData", {"ELFL"}, R"(true "Elbow" "FL--" "FL--" "XX--" "XX--")"},
      {"GetSKEYAttribute", {"ELBW", "Description"}, R"("Elbow, butt-welded")"},
      {"FindComponentTypes", {"", "SKEY", "ELBW"}, "3"},
      {"GetDefaultCategory", {"SURS"}, R"("ERECTION")"}, {"GetDefaultCategory", {"ZSW2"}, R"("FABRICATION")"},
      {"GetExpectedWeldNumberCount", {"ZSW2"}, "2"},
      // The NonStandard elbow is no default elbow.
      {"DefaultElbows", {}, R"([{"ComponentType":"Elbow-90","Angle":90.0},{"ComponentType":"Elbow-45","Angle":45.0}])"},
      {"IsValidPlacement", {"Support-Rest", "Pipe", ""}, "true"},
      {"IsValidPlacement", {"Support-Rest", "Elbow-45", "elbw"}, "true"},
      {"IsValidPlacement", {"Support-Rest", "Flange-WeldNeck", "FLWN"}, "false"},
      {"GetDefaultPCFTYPE", {"100"}, R"("PIPE")"}, {"GetIDFAttribute", {"COMPONENT-ATTRIBUTE3"}, "498"},
      {"PCFAttributeCheck", {"SPOOL-IDENTIFIER"}, "4"}, {"PCFAttributeCheck", {"COMPONENT-STATUS"}, "1"},
      {"WeldAttributesAllowed", {"180", "SURS"}, "false"}, {"WeldAttributesAllowed", {"130", "FLWN"}, "false"},
      {"WeldAttributesAllowed", {"130", "FLSO"}, "true"}, {"GetConvertedBore", {"MM", "IN", "3"}, "75.0"},
      {"GetDefaultAllowedConnection", {"BW--"}, R"("BW--" "BW--")"},
      {"IsTrimmableSKEY", {"ELBW"}, "true"}, {"IsOperationSupported", {"Pipe", "3"}, "true"},
      {"HasFlag", {"Pipe", "1"}, "true"},
  });
  EXPECT_TRUE(f.pipedex.GetSystemSymbols());
  EXPECT_STREQ(f.pipedex.GetComponentTypeDefaultDataEntry("Pipe").child("Field").attribute("Name").value(), "Length");

  Fixture german(catalogue, {"de", "AT"});
  german.dir.Write("SystemPipedex.de.xml", ReadSource("docs/examples/catalogue/SystemPipedex.de.xml"));
  ExpectAnswers(german.pipedex, {
      {"GetComponentTypeData", {"Elbow-90"}, R"(true "Elbows" "ELBOW" "Angle_90" "Bogen 90°")"},
      {"GetGroupAttribute", {"Elbows", "Description"}, R"("Bögen")"},
      {"GetEndPrepDescription", {"BW--"}, R"("Stumpfnaht")"},
      {"GetSKEYAttribute", {"ELBW", "Description"}, R"("Bogen, stumpfgeschweißt")"},
      {"GetSKEYAttribute", {"ELFL", "Description"}, R"("Elbow")"},  // not translated: stays
  });

  ExpectAnswers(f.pipedex, {
      {"LoadProjectXML", {overlay}, "true"}, {"GroupCount", {}, "6"}, {"GetGroup", {"6"}, R"("Valves")"},
      {"GetComponentTypeData", {"Support-Rest"}, R"(true "Pipes" "SUPPORT" "Support" "Resting support")"},
      {"FindSKEYs", {"Flange-WeldNeck"}, "2"},
      {"GetSKEYAttribute", {"VTFL", "Description"}, R"("Gate valve")"},
      {"GetConvertedBore", {"MM", "IN", "2"}, "51.0"},
      {"GetConvertedBore", {"IN", "MM", "50"}, "2.0"},  // the 50 / 2 row was replaced
  });
  EXPECT_TRUE(f.pipedex.GetProjectSymbols());
  // Saved as ProjectPipedex.xml beside the catalogue, it is merged on first use.
  Fixture beside(catalogue);
  beside.dir.Write("ProjectPipedex.xml", ReadFile(overlay));
  EXPECT_EQ(beside.pipedex.GroupCount(), 6);
}

}  // namespace
}  // namespace pipedex::testing::docs
