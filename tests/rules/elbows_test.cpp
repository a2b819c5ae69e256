#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

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
std::string OwnElbow(const std::string& name, const std::string& far1, const std::string& run2) {
  return "<" + name + " PCFTYPE='ELBOW' Configuration='NonStandard'><Default-Configuration>"
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
  Pipedex sample(std::make_shared<TestPlatform>(SampleDataDir()));
  using E = std::vector<std::pair<std::string, double>>;
  EXPECT_EQ(Elbows(sample), (E{{"Elbow-90-V", 90}, {"Elbow-90", 90}, {"Elbow-60", 60}, {"Elbow-45", 45}, {"Elbow-30", 30}}));

  Fixture f(Catalogue("<A_CPT><G>" + OwnElbow("Odd", "0,0,0", "1,2,0") + OwnElbow("Straight", "0,0,0", "5,0,0") +
                      OwnElbow("Short", "0,0", "1,2,0") + OwnElbow("Text", "a,0,0", "1,2,0") +
                      OwnElbow("Huge", "1e400,0,0", "1,2,0") +
                      "<Point PCFTYPE='ELBOW' Configuration='NonStandard'><Default-Configuration/></Point>"
                      "<Ret PCFTYPE='ELBOW' Configuration='Return_2D'/><Elbow-NonStandard PCFTYPE='ELBOW'/>"
                      "<Plain PCFTYPE='ELBOW' Configuration='Nowhere'/></G></A_CPT>"));
  // atan2(2, 1) is 63.4349...; failed geometry keeps the elbow with angle 0.
  EXPECT_EQ(Elbows(f.pipedex), (E{{"Odd", 63.43}, {"Straight", 0}, {"Short", 0}, {"Text", 0}, {"Huge", 0}, {"Point", 0},
                                  {"Plain", 0}}));
}

const std::string kAngles = Catalogue(
    R"(<A_ENDPREP><ENDPREP Plotra="Y" Trimmable="Y" Attribute="Y">BW--</ENDPREP><ENDPREP Plotra="Y">SC--</ENDPREP></A_ENDPREP>
<A_SKEY><SKEY>ELBW</SKEY><SKEY>ELSC</SKEY></A_SKEY><A_CONFIGURATION>)" +
    Config("Angle_90", 90) + Config("Angle_60", 60) + Config("Angle_45", 45) + R"(</A_CONFIGURATION>
<A_CPT><Elbows>
  <E90 PCFTYPE="ELBOW" Configuration="Angle_90"><SKEY>EL**</SKEY><Operation>Trim</Operation></E90>
  <Later PCFTYPE="PIPE" Configuration="Angle_90"><SKEY>ELBW</SKEY></Later>
  <E60 PCFTYPE="ELBOW" Configuration="Angle_60"><SKEY>ELBW</SKEY><Operation>Trim</Operation></E60>
  <E90-Late PCFTYPE="ELBOW" Configuration="Angle_90"/>
  <E45 PCFTYPE="ELBOW" Configuration="Angle_45"><SKEY>  elbw </SKEY></E45>
  <Thirty PCFTYPE="BEND" Configuration="angle_30"><SKEY>ELBW</SKEY></Thirty>
  <Elbow-NonStandard PCFTYPE="ELBOW" Configuration="NonStandard"><SKEY>EL**</SKEY></Elbow-NonStandard>
</Elbows></A_CPT>)");

TEST(AngleSelection, StandardAngleTestNeedsNoCatalogue) {
  TempDir empty;
  Pipedex p(std::make_shared<TestPlatform>(empty.path()));
  EXPECT_EQ(p.GetConfigurationForAngle(90.5), "Angle_90");
  EXPECT_EQ(p.GetConfigurationForAngle(91), "NonStandard");  // a difference equal to the tolerance fails
  EXPECT_EQ(p.GetConfigurationForAngle(89), "NonStandard");
  EXPECT_EQ(p.GetConfigurationForAngle(std::nan("")), "NonStandard");
  p.AngleTolerance(20);
  EXPECT_EQ(p.GetConfigurationForAngle(52), "Angle_60");  // 60 is tried before the closer 45
  p.AngleTolerance(0);
  EXPECT_EQ(p.GetConfigurationForAngle(60), "NonStandard");
  // Setting and reading the tolerance loaded nothing; the first operation
  // that needs the catalogue reports that none was found.
  bool trimmed = true;
  double standard = 0;
  std::string type;
  EXPECT_THROW(p.GetAngleComponentData2("Elbow-90-V", "BW", "BW", 50, trimmed, standard, type), Error);
}

TEST(AngleSelection, ComponentTypeByAngleAndSKEYAndNearestDefaultElbow) {
  Fixture f(kAngles);
  auto byAngle = [&](const std::string& skey, double angle) {
    bool trimmed = true;
    std::string type = f.pipedex.GetComponentTypeByAngle(skey, angle, trimmed);
    return std::make_pair(type, trimmed);
  };
  using R = std::pair<std::string, bool>;
  EXPECT_EQ(byAngle("ELBW", 90.4), (R{"E90", false}));  // an earlier generic match beats a later exact one
  EXPECT_EQ(byAngle("ELBW", 50), (R{"E60", true}));     // cut from the 60 degree entry
  EXPECT_EQ(byAngle(" elbw", 44.5), (R{"E45", false}));
  EXPECT_EQ(byAngle("ELBW", 95), (R{"Elbow-NonStandard", true}));
  EXPECT_EQ(byAngle("ELBW", std::nan("")), (R{"Elbow-NonStandard", true}));
  EXPECT_EQ(byAngle("ELSC", 50), (R{"Elbow-NonStandard", false}));  // SC-- is no trimmable end
  EXPECT_EQ(byAngle("ELBW", 30).first, "");  // "angle_30" is another configuration
  EXPECT_EQ(byAngle("EL'W", 90).first, "");
  f.pipedex.AngleTolerance(0);
  EXPECT_EQ(byAngle("ELBW", 60), (R{"E60", true}));

  // The nearest default elbow.
  Pipedex& p = f.pipedex;
  p.AngleTolerance(1);
  bool trimmed = false;
  double angle = 0;
  auto data2 = [&](const std::string& ct, const std::string& ep, double a) {
    std::string type = "?";
    p.GetAngleComponentData2(ct, ep, ep, a, trimmed, angle, type);
    return std::make_tuple(trimmed, angle, type);
  };
  using T = std::tuple<bool, double, std::string>;
  EXPECT_EQ(data2(" pulledbend ", "SC", 33), (T{true, 90, " pulledbend "}));
  EXPECT_EQ(data2("E60", "**", 44.5), (T{false, 45, "E45"}));
  EXPECT_EQ(data2("E60", "**", 89.5), (T{false, 90, "E90-Late"}));  // the last elbow within the tolerance
  EXPECT_EQ(data2("E60", "BW", 50), (T{true, 60, "E60"}));          // the smallest larger elbow
  EXPECT_EQ(data2("E60", "BW--", 70), (T{true, 90, "E90"}));        // the first of equal angles
  EXPECT_EQ(data2("E60", "SC", 50), (T{false, 50, "Elbow-NonStandard"}));
  EXPECT_EQ(data2("E60", "BW", 120), (T{false, 120, "Elbow-NonStandard"}));
  // "-V" chooses butt-welded ends and is dropped from the name before the search.
  p.GetAngleComponentData("E60-V", 50, trimmed, angle);
  EXPECT_EQ(std::tie(trimmed, angle), std::make_tuple(true, 60.0));
  p.GetAngleComponentData("E60-v", 50, trimmed, angle);
  EXPECT_EQ(std::tie(trimmed, angle), std::make_tuple(false, 50.0));
}

}  // namespace
}  // namespace pipedex::testing
