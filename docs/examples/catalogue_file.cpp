// A catalogue file of any name: an instance that loads it, and its check.
#include <iostream>
#include <string>

#include <pipedex/check.h>
#include <pipedex/pipedex.h>

int main(int argc, char** argv) {
  const std::string file = argc > 1 ? argv[1] : "docs/examples/catalogue/mistakes.xml";

  pipedex::SystemPlatformOptions options;
  options.locale = "en_US";
  // ProjectPipedex.xml and the language variants beside the file apply.
  pipedex::Pipedex catalogue(pipedex::MakeCatalogueFilePlatform(file, options));
  std::cout << catalogue.GroupCount() << " groups, " << catalogue.SKEYCount() << " SKEYs\n";

  int errors = 0;
  for (const pipedex::Finding& finding : pipedex::CheckCatalogue(file, {"", "", {"en", "US"}})) {
    if (finding.severity != "error") continue;
    ++errors;
    std::cout << "line " << finding.line << ", column " << finding.column << ": " << finding.code << "\n";
  }
  return errors == 0 ? 0 : 1;
}
