#include <iostream>
#include <pipedex/pipedex.h>

int main() {
  pipedex::Pipedex catalogue;  // finds SystemPipedex.xml on first use
  try {
    std::string description, cp1, cp2, cp3, cp4;
    if (catalogue.GetSKEYData("ELBW", description, cp1, cp2, cp3, cp4))
      std::cout << description << ": " << cp1 << " / " << cp2 << "\n";
    for (int i = 1; i <= catalogue.GroupCount(); ++i) std::cout << catalogue.GetGroup(i) << "\n";
  } catch (const pipedex::Error& e) {
    std::cerr << e.number() << " " << e.source() << ": " << e.description() << "\n";
    return 1;
  }
}
