// Overlays: merge a project file into the loaded catalogue, add an SKEY
// modelled on an existing one, and save the merged catalogue.
//
//   overlays PROJECT_FILE [SAVE_AS]
#include <cstdio>
#include <iostream>
#include <pipedex/pipedex.h>

namespace {
void Report(const pipedex::Error& e) {
  std::printf("error 0x%08X (%s): %s\n", static_cast<unsigned>(e.number()), e.source().c_str(),
              e.description().c_str());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  pipedex::Pipedex catalogue;
  std::cout << "Groups before: " << catalogue.GroupCount() << "\n";

  try {
    catalogue.LoadProjectXML("/no/such/ProjectPipedex.xml");
  } catch (const pipedex::Error& e) {
    Report(e);  // 0x80040212: nothing was changed
  }

  // Merges the file and rebuilds every list; the merge accumulates.
  bool merged = catalogue.LoadProjectXML(argv[1]);
  std::cout << "Merged: " << (merged ? "yes" : "no") << ", groups after: " << catalogue.GroupCount() << "\n";
  std::string group, pcfType, configuration, description;
  catalogue.GetComponentTypeData("Olet-Weld", group, pcfType, configuration, description);
  std::cout << "Olet-Weld is now in " << group << "; 2 in = " << catalogue.GetConvertedBore("MM", "IN", 2)
            << " mm\n";
  std::cout << "Project symbols: " << (catalogue.GetProjectSymbols() ? "yes" : "none") << "\n";

  // A new SKEY copied from FLWN: same attributes, listed by the same
  // component types, same default end preparations.
  catalogue.AddSKEY("FLWX", "Weld neck flange, extra long neck", "FLWN");
  std::string cp1, cp2, cp3, cp4;
  catalogue.GetSKEYData("FLWX", description, cp1, cp2, cp3, cp4);
  std::int32_t found = catalogue.FindComponentTypes("", "SKEY", "FLWX");
  std::cout << "FLWX: " << description << " [" << cp1 << " " << cp2 << "], carried by "
            << (found > 0 ? catalogue.GetComponentType(1) : "nothing") << "\n";

  if (argc > 2) catalogue.DumpXML(argv[2]);  // the merged document, overlays and added SKEYs included
  return 0;
}
