// pipedex_consumer: prints what the catalogue says about one SKEY.
//
//   pipedex_consumer [SKEY]        (default ELBW)
//
// The catalogue is found the way every Pipedex client finds it: beside the
// library, in its Data folder, or through the registry file (PIPEDEX_REGISTRY,
// else /etc/pipedex/registry.reg, else the one an installed package ships in
// share/pipedex/).

#include <cstdio>
#include <iostream>
#include <string>

#include <pipedex/pipedex.h>
#include <pugixml.hpp>

int main(int argc, char** argv) {
  const std::string skey = argc > 1 ? argv[1] : "ELBW";
  pipedex::Pipedex catalogue;
  try {
    std::cout << "Catalogue: " << catalogue.SystemXMLPath() << "\n";
    std::cout << "Groups:    " << catalogue.GroupCount() << "\n";

    std::string description, cp1, cp2, cp3, cp4;
    if (!catalogue.GetSKEYData(skey, description, cp1, cp2, cp3, cp4)) {
      std::cerr << "SKEY " << skey << " is not in the catalogue\n";
      return 1;
    }
    std::cout << "SKEY " << skey << ": " << description << " (" << cp1 << " " << cp2 << " " << cp3 << " " << cp4
              << ")\n";

    // Nodes handed out are pugixml nodes of the merged catalogue.
    pugi::xml_node table = catalogue.GetBoreConversionTable();
    std::size_t rows = 0;
    for (pugi::xml_node bore : table.children("BORE")) rows += bore ? 1 : 0;
    std::cout << "Bore table rows: " << rows << "\n";
  } catch (const pipedex::Error& e) {
    std::fprintf(stderr, "error 0x%08X (%s): %s\n", static_cast<unsigned>(e.number()), e.source().c_str(),
                 e.description().c_str());
    return 1;
  }
  return 0;
}
