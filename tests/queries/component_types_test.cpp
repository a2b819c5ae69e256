#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP></A_ENDPREP>
<A_CPT>
  <Elbows Colour="red">
    <Elbow-90 PCFTYPE="ELBOW" Configuration="Angle_90" Description="90 elbow" Radius="1.5D"><SKEY>EL**</SKEY><SKEY>ELBW</SKEY></Elbow-90>
    <Elbow-45 PCFTYPE="ELBOW" Configuration=" angle_45 "><SKEY>ELBW</SKEY></Elbow-45>
    <Elbow-NS PCFTYPE="ELBOW" Configuration="NonStandard"><SKEY>EL**</SKEY><Default-Configuration Own="Y"/></Elbow-NS>
  </Elbows>
  <Flanges><Flange PCFTYPE="FLANGE"><SKEY>FLBW</SKEY><SKEY>FL**</SKEY><Default-DataEntry Own="Y"/></Flange></Flanges>
  <Elbows Colour="green"/>
</A_CPT>
<A_CONFIGURATION>
  <Config>Angle_90_Long</Config>
  <Config>Angle_90<Default-Configuration Which="90"/><Default-DataEntry Which="90"/></Config>
</A_CONFIGURATION>)");

std::vector<std::string> Hits(Pipedex& p) {
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= p.ComponentTypeCount(); ++i) names.push_back(p.GetComponentType(i));
  return names;
}

TEST(FindComponentTypes, ListsEveryComponentTypeOfTheScope) {
  Fixture f(kCatalogue);
  EXPECT_EQ(f.pipedex.FindComponentTypes("", "", ""), 4);
  EXPECT_EQ(Hits(f.pipedex), (std::vector<std::string>{"Elbow-90", "Elbow-45", "Elbow-NS", "Flange"}));
  EXPECT_EQ(f.pipedex.FindComponentTypes("*", "skey", "*"), 4);
  EXPECT_EQ(f.pipedex.FindComponentTypes("Flanges", "SKEY", ""), 1);
  // The XPath searches match the group name with its letter case, the index searches without.
  EXPECT_EQ(f.pipedex.FindComponentTypes("elbows", "", ""), 0);
  EXPECT_EQ(f.pipedex.FindComponentTypes("elbows", "Configuration", "angle_45"), 0);
  EXPECT_EQ(f.pipedex.FindComponentTypes("elbows", "SKEY", "EL**"), 2);
  EXPECT_EQ(f.pipedex.FindComponentTypes("FLANGES", "PcfType", "flange"), 1);
  EXPECT_EQ(f.pipedex.FindComponentTypes("Elbows", "PCFTYPE", "FLANGE"), 0);
}

TEST(FindComponentTypes, SuffixSKEYsFindTheGenericSKEYFirst) {
  Fixture f(kCatalogue);
  EXPECT_EQ(f.pipedex.FindComponentTypes("", "SKEY", "elbw"), 4);
  EXPECT_EQ(Hits(f.pipedex), (std::vector<std::string>{"Elbow-90", "Elbow-NS", "Elbow-90", "Elbow-45"}));
  // Flange SKEYs never fall back.
  EXPECT_EQ(f.pipedex.FindComponentTypes("", "SKEY", "flbw"), 1);
  // A configuration search upper-cases the text and trims it, and normalises the attribute.
  EXPECT_EQ(f.pipedex.FindComponentTypes("Elbows", "CONFIGURATION", " Angle_45"), 1);
  EXPECT_EQ(f.pipedex.GetComponentType(1), "Elbow-45");
}

TEST(FindComponentTypes, KeepsThePreviousHitsWhenNoSearchRuns) {
  Fixture f(kCatalogue);
  ASSERT_EQ(f.pipedex.FindComponentTypes("", "SKEY", "EL**"), 2);
  EXPECT_EQ(f.pipedex.FindComponentTypes("", " SKEY", "FLBW"), 2);
  EXPECT_EQ(f.pipedex.FindComponentTypes("", "Group", "Elbows"), 2);
  // Crafted values are invalid expressions: nothing is evaluated, the hits stay.
  EXPECT_EQ(f.pipedex.FindComponentTypes("x' or '1'='1", "", ""), 0);
  EXPECT_EQ(f.pipedex.FindComponentTypes("Elbows/..", "", ""), 0);
  EXPECT_EQ(f.pipedex.FindComponentTypes("", "CONFIGURATION", "x' or '1'='1"), 0);
  EXPECT_EQ(Hits(f.pipedex), (std::vector<std::string>{"Elbow-90", "Elbow-NS"}));
}

TEST(ComponentTypeLookups, ReadTheElementTheNameResolvesTo) {
  Fixture f(kCatalogue);
  std::string group = "x", pcf = "x", cfg = "x", description = "x";
  EXPECT_TRUE(f.pipedex.GetComponentTypeData("elbow-90", group, pcf, cfg, description));
  EXPECT_EQ(group + "|" + pcf + "|" + cfg + "|" + description, "Elbows|ELBOW|Angle_90|90 elbow");
  EXPECT_FALSE(f.pipedex.GetComponentTypeData("Nope", group, pcf, cfg, description));
  EXPECT_EQ(group + pcf + cfg + description, "");

  EXPECT_EQ(f.pipedex.GetComponentTypeAttribute("ELBOW-90", "Radius"), "1.5D");
  EXPECT_EQ(f.pipedex.GetComponentTypeAttribute("Elbow-90", "radius"), "");
  // The last group element of a name answers, with the name's exact letter case.
  EXPECT_EQ(f.pipedex.GetGroupAttribute("Elbows", "Colour"), "green");
  EXPECT_EQ(f.pipedex.GetGroupAttribute("elbows", "Colour"), "");
}

TEST(ComponentTypeLookups, DefaultsComeFromOwnChildOrConfiguration) {
  Fixture f(kCatalogue);
  // The element's name and its one attribute, e.g. "Default-Configuration Which=90".
  auto which = [](pugi::xml_node n) {
    if (!n) return std::string("none");
    return std::string(n.name()) + " " + n.first_attribute().name() + "=" + n.first_attribute().value();
  };
  // Substring match over all Config elements: the first Default-Configuration in document order.
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultConfiguration("Elbow-90")), "Default-Configuration Which=90");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultConfiguration("Elbow-NS")), "Default-Configuration Own=Y");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultConfiguration("Flange")), "Default-Configuration Which=90");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultConfiguration("Elbow-45")), "none");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultDataEntry("Flange")), "Default-DataEntry Own=Y");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultDataEntry("Elbow-90")), "Default-DataEntry Which=90");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultDataEntry("Elbow-NS")), "none");
  EXPECT_EQ(which(f.pipedex.GetComponentTypeDefaultDataEntry("")), "none");
}

}  // namespace
}  // namespace pipedex::testing
