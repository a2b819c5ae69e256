// Looking things up: a component type, an SKEY with its end preparations,
// attributes, bores, PCF attribute names and elbows by angle.
#include <iostream>
#include <pipedex/pipedex.h>

int main() {
  pipedex::Pipedex catalogue;

  std::string group, pcfType, configuration, description;
  if (catalogue.GetComponentTypeData("Elbow-45", group, pcfType, configuration, description))
    std::cout << "Elbow-45: " << description << ", group " << group << ", PCF type " << pcfType
              << ", configuration " << configuration << "\n";

  // VTFL is not listed itself: its generic entry VT** answers, and "**--"
  // in the default end preparations becomes the SKEY's own FL--.
  std::string cp1, cp2, cp3, cp4;
  if (catalogue.GetSKEYData("VTFL", description, cp1, cp2, cp3, cp4))
    std::cout << "VTFL: " << description << " [" << cp1 << " " << cp2 << " " << cp3 << " " << cp4 << "]\n";
  std::cout << "VTFL symbol: " << catalogue.GetSKEYAttribute("VTFL", "Symbol")
            << ", category: " << catalogue.GetDefaultCategory("VTFL")
            << ", iso priority: " << catalogue.GetIsoPriority("VTFL") << "\n";
  std::cout << "BW-- is " << catalogue.GetEndPrepDescription("BW--") << "\n";

  // Bores: the table first, then 25 mm to the inch.
  std::cout << "2 in = " << catalogue.GetConvertedBore("MM", "IN", 2) << " mm, 3.5 in = "
            << catalogue.GetConvertedBore("MM", "\"", 3.5) << " mm\n";

  // PCF attribute names and IDF record numbers.
  std::cout << "COMPONENT-ATTRIBUTE3 -> record " << catalogue.GetIDFAttribute("COMPONENT-ATTRIBUTE3")
            << ", record 498 -> " << catalogue.GetPCFAttribute(498) << "\n";
  std::cout << "SPOOL-IDENTIFIER check: " << catalogue.PCFAttributeCheck("SPOOL-IDENTIFIER") << "\n";

  // Elbows by angle.
  std::cout << "44.5 degrees is " << catalogue.GetConfigurationForAngle(44.5) << "\n";
  bool trimmed = false;
  double standardAngle = 0;
  std::string standardType;
  catalogue.GetAngleComponentData2("Elbow-90-V", "BW", "BW", 50, trimmed, standardAngle, standardType);
  std::cout << "50 degrees: " << standardType << " (" << standardAngle << ")" << (trimmed ? ", trimmed" : "")
            << "\n";
  for (const auto& elbow : catalogue.DefaultElbows())
    std::cout << "  default elbow " << elbow.ComponentType << " " << elbow.Angle << "\n";
  return 0;
}
