#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace pipedex::testing {
namespace {

// A configuration whose second leg turns `degrees` away from the first.
std::string Config(const std::string& name, double degrees) {
  const double r = degrees * 3.14159265358979 / 180;
  return "<Config>" + name +
         "<Default-Configuration><Leg KeypointA='Run_1' KeypointB='C'/><Leg KeypointA='C' KeypointB='Run_2'/>"
         "<Keypoint Name='Run_1' Coords='-100,0,0'/><Keypoint Name='C' Coords='0,0,0'/><Keypoint Name='Run_2' Coords='" +
         std::to_string(100 * std::cos(r)) + "," + std::to_string(100 * std::sin(r)) + ",0'/></Default-Configuration></Config>";
}

// An elbow with its own geometry: Run_1 at (-1,0,0), legs Run_1-F1 and F2-Run_2, F2 at the origin.
std::string OwnElbow(const std::string& name, const std::string& far1, const std::string& run2, const std::string& lead = "") {
  return "<" + name + " PCFTYPE='ELBOW' Configuration='NonStandard'><Default-Configuration>" + lead +
         "<Leg KeypointA='F1' KeypointB='Run_1'/><Leg KeypointA='Run_2' KeypointB='F2'/><Keypoint Name='Run_1' "
         "Coords='-1,0,0'/><Keypoint Name='F1' Coords='" + far1 + "'/><Keypoint Name='F2' Coords='0,0,0'/>"
         "<Keypoint Name='Run_2' Coords='" + run2 + "'/></Default-Configuration></" + name + ">";
}

std::vector<std::pair<std::string, double>> Elbows(Pipedex& p) {
  std::vector<std::pair<std::string, double>> out;
  for (const auto& e : p.DefaultElbows()) out.emplace_back(e.ComponentType, e.Angle);
  return out;
}

TEST(DefaultElbows, AnglesFromGeometry) {
  Pipedex sample(PlatformIn(SampleDataDir()));
  using E = std::vector<std::pair<std::string, double>>;
  EXPECT_EQ(Elbows(sample), (E{{"Elbow-90-V", 90}, {"Elbow-90", 90}, {"Elbow-60", 60}, {"Elbow-45", 45}, {"Elbow-30", 30}}));

  Fixture f(Catalogue("<A_CPT><G>" + OwnElbow("Odd", "0,0,0", "1,2,0") + OwnElbow("Straight", "0,0,0", "5,0,0") +
                      OwnElbow("Short", "0,0", "1,2,0") + OwnElbow("Text", "a,0,0", "1,2,0") +
                      OwnElbow("Huge", "1e400,0,0", "1,2,0") + OwnElbow("Far", "1e200,0,0", "0,1e200,0") +
                      OwnElbow("Lifted", "0,0,0", "1,0,1", "<Note/>") +  // out of the plane, after another child
                      "<Point PCFTYPE='ELBOW' Configuration='NonStandard'><Default-Configuration/></Point>"
                      "<Ret PCFTYPE='ELBOW' Configuration='Return_2D'/><Elbow-NonStandard PCFTYPE='ELBOW'/>"
                      "<Plain PCFTYPE='ELBOW' Configuration='Nowhere'/></G></A_CPT>"));
  // atan2(2, 1) is 63.4349...; failed geometry (a number beyond the double range on the way) keeps the elbow with angle 0.
  EXPECT_EQ(Elbows(f.pipedex), (E{{"Odd", 63.43}, {"Straight", 0}, {"Short", 0}, {"Text", 0}, {"Huge", 0}, {"Far", 0}, {"Lifted", 45}, {"Point", 0},
                                  {"Plain", 0}}));
}

const std::string kAngles = Catalogue(
    R"(<A_ENDPREP><ENDPREP Plotra="Y" Trimmable="Y" Attribute="Y">BW--</ENDPREP><ENDPREP Plotra="Y">SC--</ENDPREP></A_ENDPREP>
<A_SKEY><SKEY>ELBW</SKEY><SKEY>ELSC</SKEY></A_SKEY><A_CONFIGURATION>)" +
    Config("Angle_90", 90) + Config("Angle_60", 60) + Config("Angle_45", 45) + Config("Angle_30", 30) + R"(</A_CONFIGURATION>
<A_CPT><Elbows>
  <E90 PCFTYPE="ELBOW" Configuration="Angle_90"><SKEY>EL**</SKEY><Operation>Trim</Operation></E90>
  <Later PCFTYPE="PIPE" Configuration="Angle_90"><SKEY>ELBW</SKEY></Later>
  <E60 PCFTYPE="ELBOW" Configuration="Angle_60"><SKEY>ELBW</SKEY><Operation>Trim</Operation></E60>
  <E90-Late PCFTYPE="ELBOW" Configuration="Angle_90"/>
  <E45 PCFTYPE="ELBOW" Configuration="Angle_45"><SKEY>  elbw </SKEY></E45>
  <Thirty PCFTYPE="BEND" Configuration="angle_30"><SKEY>ELBW</SKEY></Thirty>
  <Elbow-NonStandard PCFTYPE="ELBOW" Configuration="NonStandard"><SKEY>EL**</SKEY></Elbow-NonStandard>
  <E30 PCFTYPE="ELBOW" Configuration="Angle_30"><SKEY>ELBW</SKEY></E30>
</Elbows></A_CPT>)");

TEST(AngleSelection, StandardAngleTestNeedsNoCatalogue) {
  TempDir empty;
  Pipedex p(PlatformIn(empty.path()));
  ExpectAnswers(p, {
      {"GetConfigurationForAngle", {"90.5"}, R"("Angle_90")"}, {"GetConfigurationForAngle", {"89.01"}, R"("Angle_90")"},
      {"GetConfigurationForAngle", {"91"}, R"("NonStandard")"},  // a difference equal to the tolerance fails
      {"GetConfigurationForAngle", {"89"}, R"("NonStandard")"}, {"GetConfigurationForAngle", {"nan"}, R"("NonStandard")"},
      {"GetConfigurationForAngle", {"45.5"}, R"("Angle_45")"}, {"GetConfigurationForAngle", {"30.5"}, R"("Angle_30")"},
      {"GetConfigurationForAngle", {"60"}, R"("Angle_60")"}, {"GetConfigurationForAngle", {"0"}, R"("NonStandard")"},
      {"set AngleTolerance", {"20"}, "null"},
      {"GetConfigurationForAngle", {"52"}, R"("Angle_60")"},  // 60 is tried before the closer 45
      {"set AngleTolerance", {"0"}, "null"}, {"GetConfigurationForAngle", {"60"}, R"("NonStandard")"},
      // Setting and reading the tolerance loaded nothing; the first operation
      // that needs the catalogue reports that none was found.
      {"IsPlotraEndPrep", {"BW--"}, "error -2147220991"},
      {"GetAngleComponentData2", {"Elbow-90-V", "BW", "BW", "50"}, "error -2147220991"},
  });
}

TEST(AngleSelection, ComponentTypeByAngleAndSKEYAndNearestDefaultElbow) {
  Fixture f(kAngles);
  ExpectAnswers(f.pipedex, {
      {"GetComponentTypeByAngle", {"ELBW", "90.4"}, R"("E90" false)"},  // an earlier generic match beats a later exact one
      {"GetComponentTypeByAngle", {"ELBW", "50"}, R"("E60" true)"},     // cut from the 60 degree entry
      {"GetComponentTypeByAngle", {" elbw", "44.5"}, R"("E45" false)"},
      {"GetComponentTypeByAngle", {"ELBW", "95"}, R"("Elbow-NonStandard" true)"},
      {"GetComponentTypeByAngle", {"ELBW", "nan"}, R"("Elbow-NonStandard" true)"},
      {"GetComponentTypeByAngle", {"ELSC", "50"}, R"("Elbow-NonStandard" false)"},  // SC-- is no trimmable end
      {"GetComponentTypeByAngle", {"ELBW", "30", "true"}, R"("E30" false)"},  // "angle_30" is another configuration
      {"GetComponentTypeByAngle", {"EL'W", "90"}, R"("" false)"},
      // It scans what the searches of a whole scope and by configuration left; the index searches change nothing.
      {"FindComponentTypes", {"", "PCFTYPE", "PIPE"}, "1"}, {"GetComponentTypeByAngle", {"ELBW", "90"}, R"("E90" false)"},
      {"FindComponentTypes", {"", "CONFIGURATION", "Angle_90"}, "3"}, {"GetComponentTypeByAngle", {"ELBW", "60"}, R"("" false)"},
      {"FindComponentTypes", {"", "SKEY", "*"}, "8"}, {"GetComponentTypeByAngle", {"ELBW", "60"}, R"("E60" false)"},
      // Without a tolerance every angle is cut from the next standard one at or above it.
      {"set AngleTolerance", {"0"}, "null"}, {"GetComponentTypeByAngle", {"ELBW", "60"}, R"("E60" true)"},
      {"GetComponentTypeByAngle", {"ELBW", "45"}, R"("E45" true)"}, {"GetComponentTypeByAngle", {"ELBW", "46"}, R"("E60" true)"},
      {"GetComponentTypeByAngle", {"ELBW", "90"}, R"("E90" true)"}, {"GetComponentTypeByAngle", {"ELBW", "61"}, R"("E90" true)"},
      {"GetComponentTypeByAngle", {"ELBW", "30"}, R"("E30" true)"}, {"GetComponentTypeByAngle", {"ELBW", "12"}, R"("E30" true)"},
      // The nearest default elbow.
      {"set AngleTolerance", {"1"}, "null"},
      {"GetAngleComponentData2", {" pulledbend ", "SC", "SC", "33"}, R"(null true 90.0 " pulledbend ")"},
      {"GetAngleComponentData2", {"E60", "**", "**", "44.5"}, R"(null false 45.0 "E45")"},
      {"GetAngleComponentData2", {"E60", "**", "**", "89.5"}, R"(null false 90.0 "E90-Late")"},  // the last within the tolerance
      {"GetAngleComponentData2", {"E60", "BW", "BW", "50"}, R"(null true 60.0 "E60")"},  // the smallest larger elbow
      {"GetAngleComponentData2", {"E60", "BW--", "BW--", "70"}, R"(null true 90.0 "E90")"},  // the first of equal angles
      {"GetAngleComponentData2", {"E60", "SC", "SC", "50"}, R"(null false 50.0 "Elbow-NonStandard")"},
      {"GetAngleComponentData2", {"E60", "BW", "BW", "120"}, R"(null false 120.0 "Elbow-NonStandard")"},
      // "-V" chooses butt-welded ends and is dropped from the name before the search.
      {"GetAngleComponentData", {"E60-V", "50"}, "null true 60.0"},
      {"GetAngleComponentData", {"E60-v", "50"}, "null false 50.0"},
  });
}

}  // namespace
}  // namespace pipedex::testing
