#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "test_support.h"

namespace pipedex {
namespace {

using testing::Catalogue;
using testing::Fixture;

const std::string kSystem = Catalogue(
    "<A_CPT><Valves Description=\"Valves\"><Gate Description=\"Gate valve\"/></Valves></A_CPT>"
    "<A_ENDPREP><ENDPREP Description=\"Butt weld\">BW--</ENDPREP></A_ENDPREP>"
    "<A_SKEY><SKEY Description=\"Elbow\">ELBW</SKEY><SKEY Description=\"Tee\">TEBW</SKEY>"
    "<SKEY Description=\"Valve\">VVFL</SKEY></A_SKEY>");

// The value of an attribute in the document the instance saves.
std::string Saved(Pipedex& p, const std::string& dir, const std::string& xpath) {
  const std::string file = dir + "/dump.xml";
  p.DumpXML(file);
  pugi::xml_document doc;
  doc.load_file(file.c_str());
  return doc.select_node(xpath.c_str()).attribute().value();
}

std::string Variant(const std::string& description) {
  return Catalogue("<A_ENDPREP><ENDPREP Description=\"" + description + "\">BW--</ENDPREP></A_ENDPREP>");
}

TEST(LanguageVariants, CountryBeforeLanguageBeforeEnglish) {
  const std::string path = "//ENDPREP/@Description";
  Fixture none(kSystem, {"de", "AT"});
  EXPECT_EQ(Saved(none.pipedex, none.dir.path(), path), "Butt weld");

  Fixture en(kSystem, {"de", "AT"});
  en.dir.Write("SystemPipedex.en.xml", Variant("Butt weld (en)"));
  EXPECT_EQ(Saved(en.pipedex, en.dir.path(), path), "Butt weld (en)");

  Fixture de(kSystem, {"de", "AT"});
  de.dir.Write("SystemPipedex.en.xml", Variant("Butt weld (en)"));
  de.dir.Write("SystemPipedex.de.xml", Variant("Stumpfnaht"));
  EXPECT_EQ(Saved(de.pipedex, de.dir.path(), path), "Stumpfnaht");

  Fixture at(kSystem, {"de", "AT"});
  at.dir.Write("SystemPipedex.de.xml", Variant("Stumpfnaht"));
  at.dir.Write("SystemPipedex.de-AT.xml", Variant("Stumpfschweißung"));
  EXPECT_EQ(Saved(at.pipedex, at.dir.path(), path), "Stumpfschweißung");
}

TEST(LanguageVariants, CopiesOnlyAttributesTheSystemElementHas) {
  Fixture f(kSystem, {"de", "DE"});
  f.dir.Write("SystemPipedex.de.xml",
              Catalogue("<A_CPT><Valves Description=\"Armaturen\" Extra=\"x\"><Gate Description=\"Schieber\"/>"
                        "</Valves></A_CPT>"
                        "<A_SKEY><SKEY Description=\"Bogen\" Category=\"ERECTION\">ELBW</SKEY>"
                        "<SKEY Description=\"Gebrochen\">O'NEIL</SKEY><SKEY Description=\"T-Stück\">TEBW</SKEY>"
                        "</A_SKEY>"));
  const std::string dir = f.dir.path();
  EXPECT_EQ(Saved(f.pipedex, dir, "//Valves/@Description"), "Armaturen");
  EXPECT_EQ(Saved(f.pipedex, dir, "//Valves/@Extra"), "");
  EXPECT_EQ(Saved(f.pipedex, dir, "//Gate/@Description"), "Schieber");
  EXPECT_EQ(Saved(f.pipedex, dir, "//SKEY[.='ELBW']/@Description"), "Bogen");
  EXPECT_EQ(Saved(f.pipedex, dir, "//SKEY[.='ELBW']/@Category"), "");
  // An apostrophe in a variant text abandons the rest of the SKEY selection only.
  EXPECT_EQ(Saved(f.pipedex, dir, "//SKEY[.='TEBW']/@Description"), "Tee");
}

TEST(LanguageVariants, AVariantThatDoesNotParseFailsInitialisationWithoutTryingTheNext) {
  Fixture f(kSystem, {"de", "AT"});
  f.dir.Write("SystemPipedex.de-AT.xml", "<ZENROD-ISOMETRICS-DATA><A_CPT>\n</ZENROD");
  f.dir.Write("SystemPipedex.de.xml", Variant("Stumpfnaht"));
  try {
    f.pipedex.GroupCount();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errors::kInitialisation);
    EXPECT_EQ(e.source(), "Pipedex");
    EXPECT_EQ(e.description().rfind("Unexpected initialisation error : Error parsing Zenrod XML Data\r\n", 0), 0u)
        << e.description();
    EXPECT_NE(e.description().find("Line   : 2\r\nSource : "), std::string::npos) << e.description();
  }
  // Initialised, but the lists were never built: no retry, neutral answers.
  EXPECT_EQ(f.pipedex.GroupCount(), 0);
  EXPECT_EQ(f.pipedex.GetSKEY(1), "");
  EXPECT_EQ(Saved(f.pipedex, f.dir.path(), "//ENDPREP/@Description"), "Butt weld");
}

}  // namespace
}  // namespace pipedex
