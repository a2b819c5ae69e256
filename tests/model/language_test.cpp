#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "pipedex/check.h"
#include "test_support.h"

namespace pipedex {
namespace {

using testing::Catalogue;
using testing::Fixture;

const std::string kSystem = Catalogue(
    "<A_CPT><Valves Description=\"Valves\"><Gate Description=\"Gate valve\"/></Valves></A_CPT>"
    "<A_ENDPREP><ENDPREP Description=\"Butt weld\">BW--</ENDPREP></A_ENDPREP>"
    "<A_SKEY><SKEY Description=\"Elbow\">ELBW</SKEY><SKEY Description=\"Tee\">TEBW</SKEY></A_SKEY>");

// The values of the attributes an XPath selects in the document the instance saves, each followed by "|".
std::string Saved(Fixture& f, const std::string& xpath) {
  const std::string file = f.dir.path() + "/dump.xml";
  f.pipedex.DumpXML(file);
  pugi::xml_document doc;
  doc.load_file(file.c_str());
  std::string values;
  for (const pugi::xpath_node& n : doc.select_nodes(xpath.c_str())) values.append(n.attribute().value()).append("|");
  return values;
}

std::string Variant(const std::string& description) {
  return Catalogue("<A_ENDPREP><ENDPREP Description=\"" + description + "\">BW--</ENDPREP></A_ENDPREP>");
}

TEST(LanguageVariants, CountryBeforeLanguageBeforeEnglish) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"SystemPipedex.en.xml", "Butt weld (en)"}, {"SystemPipedex.de.xml", "Stumpfnaht"},
      {"SystemPipedex.de-AT.xml", "Stumpfschweißung"}};
  for (std::size_t present = 0; present <= files.size(); ++present) {
    Fixture f(kSystem, {"de", "AT"});
    for (std::size_t i = 0; i < present; ++i) f.dir.Write(files[i].first, Variant(files[i].second));
    EXPECT_EQ(Saved(f, "//ENDPREP/@Description"), (present == 0 ? "Butt weld" : files[present - 1].second) + "|");
    // The catalogue check reads the variant that loading applies.
    EXPECT_EQ(LanguageVariantFile(f.dir.path() + "/SystemPipedex.xml", {"de", "AT"}),
              present == 0 ? "" : f.dir.path() + "/" + files[present - 1].first);
  }
}

TEST(LanguageVariants, CopiesOnlyAttributesTheSystemElementHas) {
  Fixture f(kSystem, {"de", "DE"});
  f.dir.Write("SystemPipedex.de.xml",
              Catalogue("<A_CPT><Valves Description=\"Armaturen\" Extra=\"x\"><Gate Description=\"Schieber\"/>"
                        "</Valves></A_CPT><A_SKEY><SKEY Description=\"Bogen\" Category=\"ERECTION\">ELBW</SKEY>"
                        "<SKEY Description=\"Gebrochen\">O'NEIL</SKEY><SKEY Description=\"T-Stück\">TEBW</SKEY>"
                        "</A_SKEY>"));
  // An apostrophe in a variant text abandons the rest of the SKEY selection only.
  EXPECT_EQ(Saved(f, "//Valves/@Description | //Valves/@Extra | //Gate/@Description | //SKEY/@Description | //SKEY/@Category"),
            "Armaturen|Schieber|Bogen|Tee|");
}

TEST(LanguageVariants, AVariantThatDoesNotParseFailsInitialisationWithoutTryingTheNext) {
  Fixture f(kSystem, {"de", "AT"});
  f.dir.Write("SystemPipedex.de-AT.xml", "<ZENROD-ISOMETRICS-DATA><A_CPT>\n</ZENROD");
  f.dir.Write("SystemPipedex.de.xml", Variant("Stumpfnaht"));
  EXPECT_THAT(testing::Raised([&] { f.pipedex.GroupCount(); }),
              testing::AllOf(testing::StartsWith("-2147220987 Pipedex: Unexpected initialisation error : Error parsing "
                                                 "Zenrod XML Data\r\n"), testing::HasSubstr("Line   : 2\r\nSource : ")));
  // Initialised, but the lists were never built: no retry, neutral answers.
  EXPECT_EQ(f.pipedex.GroupCount(), 0);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "");
  EXPECT_EQ(Saved(f, "//ENDPREP/@Description"), "Butt weld|");
}

}  // namespace
}  // namespace pipedex
