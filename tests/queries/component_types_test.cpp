#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<A_ENDPREP><ENDPREP Plotra="Y">BW--</ENDPREP></A_ENDPREP>
<A_CPT>
  <Elbows Colour="red">
    <Elbow-90 PCFTYPE="ELBOW" Configuration="Angle_90" Description="90 elbow" Radius="1.5D"><SKEY>EL**</SKEY><SKEY>ELBW</SKEY></Elbow-90>
    <Elbow-45 PCFTYPE="ELBOW" Configuration=" angle_45 "><SKEY>ELBW</SKEY><Operation>Trim</Operation></Elbow-45>
    <Elbow-NS PCFTYPE="ELBOW" Configuration="NonStandard"><SKEY>EL**</SKEY><Default-Configuration Own="Y"/></Elbow-NS>
  </Elbows>
  <Flanges><Flange PCFTYPE="FLANGE"><SKEY>FLBW</SKEY><SKEY>FL**</SKEY><Default-DataEntry Own="Y"/></Flange></Flanges>
  <Elbows Colour="green"/>
  <Odd><Upper Configuration="ÄRGER"/><Lower Configuration="ärger"/></Odd>
</A_CPT>
<A_CONFIGURATION>
  <Config>Angle_90_Long</Config>
  <Config>Angle_90<Default-Configuration Which="90"/><Default-DataEntry Which="90"/></Config>
</A_CONFIGURATION>)");

TEST(FindComponentTypes, SearchPathsGroupScopeLetterCaseAndHitsKeptWhenNoSearchRuns) {
  Fixture f(kCatalogue);
  ExpectAnswers(f.pipedex, {
      {"FindComponentTypes", {"", "", ""}, "6"}, {"GetComponentType", {"1"}, R"("Elbow-90")"},
      {"GetComponentType", {"6"}, R"("Lower")"}, {"GetComponentType", {"7"}, R"("")"},
      // The XPath searches match the group name with its letter case, the index searches without.
      {"FindComponentTypes", {"elbows", "", ""}, "0"}, {"FindComponentTypes", {"elbows", "Configuration", "angle_45"}, "0"},
      {"FindComponentTypes", {"Elbows", "Configuration", " Angle_45"}, "1"},
      {"FindComponentTypes", {"elbows", "SKEY", "EL**"}, "2"}, {"FindComponentTypes", {"FLANGES", "PcfType", "flange"}, "1"},
      {"FindComponentTypes", {"Elbows", "PCFTYPE", "flange"}, "0"},
      // The generic SKEY's component types come first; flange SKEYs never fall back.
      {"FindComponentTypes", {"", "SKEY", "elbw"}, "4"}, {"GetComponentType", {"2"}, R"("Elbow-NS")"},
      {"GetComponentType", {"4"}, R"("Elbow-45")"}, {"FindComponentTypes", {"", "SKEY", "flbw"}, "1"},
      {"FindComponentTypes", {"", "SKEY", "ELBWX"}, "0"}, {"FindComponentTypes", {"", "SKEY", "ELB"}, "0"},
      {"FindComponentTypes", {"", "SKEY", "Trim"}, "0"},  // the text of another child is no SKEY
      // The search text is upper-cased fully, the attribute only for a to z.
      {"FindComponentTypes", {"", "CONFIGURATION", "ärger"}, "1"}, {"GetComponentType", {"1"}, R"("Upper")"},
      // No search runs for an unknown attribute nor for crafted values (invalid expressions): the hits stay.
      {"FindComponentTypes", {"", "SKEY", "EL**"}, "2"}, {"FindComponentTypes", {"", " SKEY", "FLBW"}, "2"},
      {"FindComponentTypes", {"x' or '1'='1", "", ""}, "0"}, {"FindComponentTypes", {"", "CONFIGURATION", "x' or '1'='1"}, "0"},
      {"GetComponentType", {"2"}, R"("Elbow-NS")"},
  });
}

TEST(ComponentTypeLookups, DataAttributesAndDefaults) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  ExpectAnswers(p, {
      {"GetComponentTypeData", {"elbow-90", "x", "x", "x", "x"}, R"(true "Elbows" "ELBOW" "Angle_90" "90 elbow")"},
      {"GetComponentTypeData", {"Nope", "x", "x", "x", "x"}, R"(false "" "" "" "")"},
      {"GetComponentTypeData", {"", "x", "x", "x", "x"}, R"(false "" "" "" "")"},
      {"GetComponentTypeAttribute", {"ELBOW-90", "Radius"}, R"("1.5D")"},
      {"GetGroupAttribute", {"Elbows", "Colour"}, R"("green")"},  // the last group of the name
  });
  EXPECT_EQ(p.GetGroupAttribute("elbows", "Colour"), "");

  auto which = [](pugi::xml_node n) { return n ? std::string(n.first_attribute().value()) : "none"; };
  // Substring match over all Config elements: the first default in document order.
  EXPECT_EQ(which(p.GetComponentTypeDefaultConfiguration("Elbow-90")), "90");
  EXPECT_EQ(which(p.GetComponentTypeDefaultConfiguration("Elbow-NS")), "Y");
  EXPECT_EQ(which(p.GetComponentTypeDefaultConfiguration("Flange")), "90");  // no Configuration
  EXPECT_EQ(which(p.GetComponentTypeDefaultDataEntry("Flange")), "Y");
  EXPECT_EQ(which(p.GetComponentTypeDefaultDataEntry("Elbow-90")), "90");
}

TEST(ElementNamesAsData, NamespacePrefixesAreNotPartOfTheName) {
  Fixture f(Catalogue(R"(
<A_CPT xmlns:ns="urn:extras">
  <ns:Extras Colour="blue"><ns:GIZMO PCFTYPE="ns:ELBOW" Configuration="Angle_90"><SKEY>GZBW</SKEY></ns:GIZMO></ns:Extras>
</A_CPT>
<A_PCFIDF xmlns:ns="urn:extras"><ns:WIDGET><IDF>7</IDF></ns:WIDGET></A_PCFIDF>)"));
  ExpectAnswers(f.pipedex, {
      {"GetGroup", {"1"}, R"("Extras")"}, {"FindComponentTypes", {"Extras", "", ""}, "1"},
      {"GetComponentType", {"1"}, R"("GIZMO")"}, {"FindComponentTypes", {"Extras", "Configuration", "angle_90"}, "1"},
      {"FindComponentTypes", {"Extras", "SKEY", "GZBW"}, "1"},
      {"GetComponentTypeData", {"gizmo"}, R"(true "Extras" "ns:ELBOW" "Angle_90" "")"},  // attribute values stay as written
      {"GetGroupAttribute", {"Extras", "Colour"}, R"("blue")"},
      {"FindPCFTYPEs", {"", "7"}, "1"}, {"GetPCFTYPE", {"1"}, R"("WIDGET")"},
      {"FindPCFTYPEs", {"", "999"}, "1"}, {"GetPCFTYPE", {"1"}, R"("WIDGET")"},
  });
}

}  // namespace
}  // namespace pipedex::testing
