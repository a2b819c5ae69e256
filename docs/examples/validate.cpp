// Validating: a PCF type / SKEY pair, a placement, an end preparation, and
// whether weld attributes may be written.
#include <iostream>
#include <pipedex/pipedex.h>

namespace {
const char* Name(pipedex::ValidDataReturn r) {
  switch (r) {
    case pipedex::vdR_OK: return "OK";
    case pipedex::vdR_MODIFIED: return "MODIFIED";
    default: return "FAIL";
  }
}
}  // namespace

int main() {
  pipedex::Pipedex catalogue;
  std::string data, componentType;

  // The PCF type is the master: the SKEY is fitted to it.
  auto r = catalogue.GetValidData("ELBOW", "TEBW", pipedex::vdM_PCFTYPE, data, componentType);
  std::cout << "ELBOW + TEBW, PCF type fixed: " << Name(r) << ", SKEY " << data << " (" << componentType << ")\n";

  // The SKEY is the master: the PCF type is fitted to it.
  r = catalogue.GetValidData("TEE", "ELBW", pipedex::vdM_SKEY, data, componentType);
  std::cout << "TEE + ELBW, SKEY fixed: " << Name(r) << ", PCF type " << data << " (" << componentType << ")\n";

  r = catalogue.GetValidData("NO-SUCH-TYPE", "ELBW", pipedex::vdM_PCFTYPE, data, componentType);
  std::cout << "NO-SUCH-TYPE + ELBW: " << Name(r) << "\n";

  std::cout << std::boolalpha;
  std::cout << "Olet-Weld on Pipe: " << catalogue.IsValidPlacement("Olet-Weld", "Pipe", "") << "\n";
  std::cout << "Olet-Weld on Elbow-45 / ELBW: " << catalogue.IsValidPlacement("Olet-Weld", "Elbow-45", "ELBW")
            << "\n";
  std::cout << "Olet-Weld on Tee-Equal / TEBW: " << catalogue.IsValidPlacement("Olet-Weld", "Tee-Equal", "TEBW")
            << "\n";

  std::cout << "FL-- on VTFL: " << catalogue.IsEndPrepConsistent("FL--", "VTFL") << "\n";
  std::cout << "BW-- on VTFL: " << catalogue.IsEndPrepConsistent("BW--", "VTFL") << "\n";

  std::cout << "Weld attributes for record 130, FLLJ: " << catalogue.WeldAttributesAllowed(130, "FLLJ")
            << "; FLWN: " << catalogue.WeldAttributesAllowed(130, "FLWN") << "\n";
  return 0;
}
