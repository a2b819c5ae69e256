// The fast paths give the same answers as the slow ones they replace: child
// paths walked natively against the XPath engine, configuration look-ups
// against the written expression, and files parsed in place against the
// same text parsed from memory.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "model/configuration_lookup.h"
#include "model/keyed_list.h"
#include "model/token_index.h"
#include "overlays/merged_document.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// The fast path raises where the slow one does, and otherwise answers as it does.
template <typename Slow, typename Fast>
void ExpectSame(Slow slow, Fast fast, const std::string& what) {
  std::optional<decltype(slow())> expected;
  try {
    expected = slow();
  } catch (...) {
  }
  if (!expected) {
    EXPECT_THROW(fast(), Error) << what;
  } else {
    EXPECT_EQ(fast(), *expected) << what;
  }
}

// Configuration names that differ in letter case, white space, non-ASCII
// letters and quotes, and Config texts that contain them in various ways.
const std::vector<std::string> kNames = {"",         "Tee",      "tee",  " Tee", "Tee ",     "Te e", "Angle_90",
                                         "Angle_9",  "ngle_90 ", "Ä",    "ä",    "Straße",   "STRASSE", "x'y",
                                         "\"q\"",    "Run",      "Δ",    "\t",   "Config"};

std::string ConfigCatalogue() {
  return Catalogue(
      "<A_CONFIGURATION>"
      "<Config>Angle_90<!-- c --><Default-DataEntry/></Config>"
      "<Config>Angle_90<Default-Configuration n='1'/></Config>"
      "<Config>  tee <![CDATA[Te e]]><Default-Configuration n='2'/><Default-Configuration n='3'/></Config>"
      "<Other>Tee<Default-Configuration n='x'/></Other>"
      "<Config><Inner>Straße</Inner><Default-DataEntry n='4'/></Config>"
      "<Config>\"q\" Ä \tRun<Default-Configuration n='5'/><Default-DataEntry n='6'/></Config>"
      "</A_CONFIGURATION>"
      "<A_CPT/>"
      "<A_CONFIGURATION><Config>Tee Δ<Default-Configuration n='7'/><Default-DataEntry n='8'/></Config>"
      "<Config>ä<Default-DataEntry n='9'/></Config></A_CONFIGURATION>");
}

TEST(FastPaths, ChildPathsSelectWhatTheXPathSelects) {
  auto doc = Load(Catalogue(
      "<A_CPT><!-- g --><G1 a='1'><T1><SKEY>A</SKEY></T1>text<T2/></G1><G2/>"
      "<G3><T3><SKEY>B</SKEY><SKEY>C</SKEY><X><SKEY>no</SKEY></X></T3></G3></A_CPT>"
      "<A_SKEY><SKEY>1</SKEY><Other/><SKEY>2</SKEY></A_SKEY><A_CPT><G4><T4/></G4></A_CPT>"));
  pugi::xml_node root = doc.document_element();
  auto same = [&](const std::string& xpath, std::initializer_list<std::string_view> steps) {
    EXPECT_EQ(xml::SelectChildPath(root, steps), xml::SelectNodes(root, xpath)) << xpath;
  };
  same("A_CPT/*", {"A_CPT", "*"});
  same("A_CPT/*/*", {"A_CPT", "*", "*"});
  same("A_CPT/*/*/SKEY", {"A_CPT", "*", "*", "SKEY"});
  same("A_SKEY/SKEY", {"A_SKEY", "SKEY"});
  same("A_SKEY/*", {"A_SKEY", "*"});
  same("Missing/*", {"Missing", "*"});
  EXPECT_THROW(xml::SelectChildPath(pugi::xml_node(), {"A_CPT"}), Error);
}

TEST(FastPaths, ConfigurationLookupAnswersAsTheWrittenExpression) {
  auto doc = Load(ConfigCatalogue());
  pugi::xml_node root = doc.document_element();
  for (const char* child : {"Default-Configuration", "Default-DataEntry"}) {
    for (const std::string& name : kNames) {
      const std::string xpath = "A_CONFIGURATION/Config[contains(.,'" + name + "')]/" + child;
      ExpectSame([&] { return pugi::xml_node(root.select_node(xpath.c_str()).node()); },
                 [&] { return model::FindConfigurationChild(root, name, child); }, name + " / " + child);
    }
  }
}

TEST(FastPaths, FilesParsedInPlaceMatchTheTextParsedFromMemory) {
  TempDir dir;
  const std::vector<std::string> texts = {
      Catalogue("<A_SKEY><SKEY Description='&amp;x'>ELBW</SKEY></A_SKEY>"),
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a d=\"\x80 \xE4\"/>",
      Utf16("<a>x</a>"),
      "<a>\r\n  <b>\r\n  <c></b>\r\n</a>",
      "<?xml version=\"1.0\"?>\n<a>\n<b attr='1\n</a>",
      ""};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string path = dir.Write("f" + std::to_string(i) + ".xml", texts[i]);
    pugi::xml_document fromFile, fromText;
    xml::ParseError fileError, textError;
    const bool fileOk = xml::LoadFile(fromFile, path, fileError);
    ASSERT_EQ(fileOk, xml::LoadText(fromText, texts[i], textError)) << i;
    EXPECT_EQ(std::tie(fileError.reason, fileError.line, fileError.srcText),
              std::tie(textError.reason, textError.line, textError.srcText)) << i;
    if (fileOk) { EXPECT_EQ(xml::OuterXml(fromFile), xml::OuterXml(fromText)) << i; }
  }
}

// Values as callers pass them and texts as catalogues hold them: letter case,
// inner and outer white space of every kind, non-ASCII letters, quotes.
const std::vector<std::string> kValues = {"Trim",  "trim",     " TRIM ",  "Tr im", "Tr  im",  "\tTrim", "Trim\n",
                                          "",      " ",        "Äpfel",   "äpfel", "ÄPFEL",   "straße", "STRASSE",
                                          "x'y",   "\"Trim\"", "Tr\tim",  "ǅ",     "ǆ",       "tr",     "TrimX",
                                          std::string("Tr\0im", 6)};

TEST(FastPaths, NoCaseChildLookUpAnswersAsTheWrittenPredicate) {
  std::string children;
  for (const char* t : {"Trim", " trim ", "Tr im", "Tr\t\n im", "Äpfel", "äpfel", "STRASSE", "\"Trim\"",
                        "", "  ", "ǅ", "x&apos;y", "Tr<b>i</b>m", "<![CDATA[ tRiM ]]>", "TrimX", "tr"}) {
    children += "<Operation>" + std::string(t) + "</Operation><Other>" + t + "</Other>";
  }
  auto doc = Load("<Type>" + children + "</Type>");
  pugi::xml_node type = doc.document_element();
  for (const std::string& value : kValues) {
    for (const char* step : {"Operation", "Other", "Missing"})
      ExpectSame([&] { return xml::SelectSingleNode(type, std::string(step) + "[" + xml::NoCaseEquals(".", value) + "]"); },
                 [&] { return xml::FirstChildNoCase(type, step, value); }, "[" + value + "] " + step);
    // Each child text on its own, through the matcher.
    if (value.find('\'') != std::string::npos || value.find('\0') != std::string::npos) continue;
    const xml::NoCaseValue wanted(value);
    for (pugi::xml_node child : type.children()) {
      const bool matches = !child.select_nodes(("self::*[" + xml::NoCaseEquals(".", value) + "]").c_str()).empty();
      EXPECT_EQ(wanted.Matches(xml::Text(child)), matches) << "[" << value << "] [" << xml::Text(child) << "]";
    }
  }
  EXPECT_THROW(xml::FirstChildNoCase(pugi::xml_node(), "Operation", "Trim"), Error);
}

TEST(FastPaths, KeyedLookUpMatchesComparingUpperCasedKeys) {
  const std::vector<std::string> keys = {"ELBW", "elbw ", "Ä-Tee", "ä-tee", "ı", "i", "I", "ß", "SS", "ǅ",
                                         "A-rather-long-component-type-name", "a-RATHER-long-component-type-NAME",
                                         "", " ", "Straße", "STRASSE", "ΔΞBW", "δξbw"};
  model::KeyedList<std::string> list;
  std::vector<std::string> filed;
  for (std::size_t i = 0; i < keys.size(); i += 2) {
    list.Append(keys[i], keys[i]);
    filed.push_back(text::Upper(keys[i]));
  }
  for (const std::string& probe : keys) {
    const std::string* found = list.Find(probe);
    const auto expected = std::find(filed.begin(), filed.end(), text::Upper(probe));
    ASSERT_EQ(found != nullptr, expected != filed.end()) << probe;
    if (found) {
      EXPECT_EQ(text::Upper(*found), *expected) << probe;
    }
  }
  EXPECT_TRUE(list.RemoveAt(1));
  EXPECT_EQ(list.Find("elbw"), nullptr);
  ASSERT_NE(list.Find("Ä-TEE"), nullptr);
  EXPECT_EQ(*list.Find("Ä-TEE"), "Ä-Tee");
}

TEST(FastPaths, TokenLookUpAnswersAsASearchThroughTheText) {
  // Codes of one or two characters, with "~", blanks, letter case and non-ASCII letters.
  const std::vector<std::string> codes = {"BW", "S", "", "~", "~~", "W~", "Ä", "ÄÖ", "bw", " B", "B ", "€x", "x€", "SW"};
  model::TokenIndex index;
  std::string text;
  for (std::size_t round = 0; round < 3; ++round) {
    index.Clear();
    text.clear();
    for (std::size_t i = 0; i < codes.size(); ++i) {
      const std::string token = "~" + codes[(i * (round + 3)) % codes.size()] + "~";
      if (!index.Contains(text, token)) index.Append(text, token);
      for (const std::string& a : codes) {
        for (const std::string& probe : {"~" + a + "~", a, "~" + a, a + "~", "~" + a + a + "~"}) {
          EXPECT_EQ(index.Contains(text, probe), text.find(probe) != std::string::npos)
              << "text " << text << " probe " << probe;
        }
      }
    }
  }
}

// The configuration search and the whole-group listing walk the groups and
// test the attribute natively: the same hits, in the same order, as the
// written expressions evaluated on the same catalogue.
TEST(FastPaths, ConfigurationSearchFindsWhatTheWrittenExpressionFinds) {
  const std::string catalogue = Catalogue(
      "<A_CPT><G><T1 Configuration='Angle_90'/><T2 Configuration=' angle_90 '/><T3/><T4 Configuration=''/>"
      "<T5 Configuration='ANGLE  90'/><T6 Configuration='Äpfel'/></G><g><T7 Configuration='angle_90'/></g>"
      "<!-- c --><H><T8 Configuration='\tAngle_90\n'/><T9 Configuration='äpfel'/></H></A_CPT>");
  Fixture f(catalogue);
  auto doc = Load(catalogue);
  pugi::xml_node cpt = doc.document_element().child("A_CPT");
  auto listed = [&](std::int32_t count) {
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= count; ++i) names.push_back(f.pipedex.GetComponentType(i));
    return names;
  };
  // The component types SCOPE/* selects, with the configuration when given; nothing when invalid.
  auto selected = [&](const std::string& scope, const std::optional<std::string>& value) {
    std::vector<std::string> names;
    try {
      const std::string predicate = value ? "[" + xml::NoCaseEquals("@Configuration", *value) + "]" : "";
      for (pugi::xml_node n : xml::SelectNodes(cpt, xml::ElementName(scope) + "/*" + predicate)) names.push_back(n.name());
    } catch (const Error&) {
    }
    return names;
  };
  for (const char* group : {"", "*", "G", "g", "H", "Missing", "a b"}) {
    const std::string scope = *group ? group : "*";
    for (const std::string value : {"Angle_90", " ANGLE_90 ", "angle 90", "angle  90", "", "äpfel", "ÄPFEL",
                                    "x'y", "Angle_9"}) {
      EXPECT_EQ(listed(f.pipedex.FindComponentTypes(group, "Configuration", value)),
                selected(scope, value))
          << group << " [" << value << "]";
    }
    // Every component type of the group, as "GROUP/*" selects them; "a b" is no element name.
    EXPECT_EQ(listed(f.pipedex.FindComponentTypes(group, "SKEY", "*")), selected(scope, std::nullopt)) << group;
  }
}

// IsPlotraEndPrep answers from the token index of the upper-cased text as a
// search through Upper(PlotraEndPreps) would.
TEST(FastPaths, PlotraEndPrepAnswersAsASearchOfTheUpperCasedText) {
  std::string endPreps;
  for (const char* code : {"bw--", "äö--", "SW--", "ß-", "x", "~a", "Δδ--"})
    endPreps += std::string("<ENDPREP Plotra=\"Y\">") + code + "</ENDPREP>";
  Fixture f(Catalogue("<A_ENDPREP>" + endPreps + "<ENDPREP>CP--</ENDPREP></A_ENDPREP>"));
  const std::string upper = text::Upper("~bw~~äö~~SW~~ß-~~x~~~a~~Δδ~");
  for (const char* ep : {"BW--", "bw", " bw", "ÄÖ--", "äÖ", "sw--", "SS", "ß-", "ẞ-", "X", "x-", "~A", "A~", "ΔΔ",
                         "CP--", "", "W~", "~", "~~", "-~"}) {
    const std::string token = "~" + text::UpperTrim(text::Left(ep, 2)) + "~";
    EXPECT_EQ(f.pipedex.IsPlotraEndPrep(ep), upper.find(token) != std::string::npos) << ep;
  }
}

// FindPCFTYPEs on long candidate lists (grouped and de-duplicated through
// maps) answers as the plain pairwise comparison does.
TEST(FastPaths, LongPCFTypeListsFilterAndDropDuplicatesAsPairwise) {
  std::vector<std::string> types;
  std::string cpts;
  for (int i = 0; i < 60; ++i) {
    types.push_back(i % 7 == 3 ? " p" + std::to_string(i % 20) : "P" + std::to_string(i % 20));
    cpts += "<T" + std::to_string(i) + " PCFTYPE='" + types.back() + "'><SKEY>XX**</SKEY></T" + std::to_string(i) + ">";
  }
  Fixture f(Catalogue("<A_CPT><G>" + cpts + "</G></A_CPT><A_PCFIDF><P3><IDF>7</IDF></P3><p1><IDF>7</IDF></p1>"
                      "<Q><IDF>7</IDF></Q><P3><IDF>7</IDF></P3></A_PCFIDF>"));
  auto unique = [](const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const auto& n : names)
      if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
    return out;
  };
  auto found = [&](std::int32_t count) {
    std::vector<std::string> out;
    for (std::int32_t i = 1; i <= count; ++i) out.push_back(f.pipedex.GetPCFTYPE(i));
    return out;
  };
  EXPECT_EQ(found(f.pipedex.FindPCFTYPEs("XX**", 999)), unique(types));
  std::vector<std::string> filtered;
  for (const char* wanted : {"P3", "P1", "Q", "P3"})
    for (const auto& t : types)
      if (text::UpperTrim(t) == wanted) filtered.push_back(t);
  EXPECT_EQ(found(f.pipedex.FindPCFTYPEs("XX**", 7)), unique(filtered));
}

// GetValidData on long lists: the first component type of the outer list that
// the other list holds (letter case aside) is still the one reported.
TEST(FastPaths, LongValidationListsReportTheFirstSharedComponentType) {
  std::string cpts;
  for (int i = 0; i < 10; ++i) cpts += "<A" + std::to_string(i) + " PCFTYPE='X'/>";
  for (int i = 1; i < 10; ++i) cpts += "<B" + std::to_string(i) + " PCFTYPE='Y'><SKEY>S</SKEY></B" + std::to_string(i) + ">";
  cpts += "<a9 PCFTYPE='Z'><SKEY>S</SKEY></a9>";
  Fixture f(Catalogue("<A_CPT><G>" + cpts + "</G></A_CPT>"));
  std::string data, type;
  EXPECT_EQ(f.pipedex.GetValidData("X", "S", vdM_SKEY, data, type), vdR_OK);
  EXPECT_EQ(type, "A9");
  EXPECT_EQ(f.pipedex.GetValidData("X", "S", vdM_PCFTYPE, data, type), vdR_OK);
  EXPECT_EQ(type, "a9");
}

// The overlay merge finds groups, component types and bore rows through maps:
// names held twice, a type found in the second group of a name, bore values
// held by several rows and rows of another name behave as the document order says.
TEST(FastPaths, OverlayMergeFindsWhatTheDocumentOrderGives) {
  Fixture f(Catalogue(R"(
    <A_CPT><G><A/></G><H><Dup/></H><G><B/></G><K><Dup/></K></A_CPT>
    <A_SKEY/>
    <BORE-CONVERSION-TABLE><BORE MM="1" IN="a"/><ROW MM="2" IN="b"/><BORE MM="2" IN="c"/>
      <BORE MM="2" IN="d"/><BORE MM="3" IN="c"/></BORE-CONVERSION-TABLE>)"));
  const std::string path = f.dir.Write("p.xml", Catalogue(R"(
    <U_CPT><G><B><SKEY>X</SKEY></B><C/></G><N><A/></N><N><Z/></N></U_CPT>
    <CHANGE_GROUPS><N><Dup/><Dup/><C/></N></CHANGE_GROUPS>
    <U_BORE-CONVERSION-TABLE><BORE MM="2" IN="c"/><ROW MM="9" IN="d"/><BORE MM="2" IN="e"/></U_BORE-CONVERSION-TABLE>)"));
  ASSERT_TRUE(f.pipedex.LoadProjectXML(path));
  auto doc = Merged(f.pipedex, f.dir);
  EXPECT_EQ(Select(*doc, "//A_CPT/*", true), (Strings{"G", "H", "G", "K", "N"}));
  // B lives in the second G: it gains the SKEY there; C is new in the first G, then moves.
  EXPECT_EQ(Select(*doc, "//A_CPT/G[2]/B/SKEY"), (Strings{"X"}));
  // The second N of U_CPT joins the group the first one added; both Dup move, first H's then K's.
  EXPECT_EQ(Select(*doc, "//A_CPT/N/*", true), (Strings{"A", "Z", "Dup", "Dup", "C"}));
  // 2/c goes with MM=2 (and IN=c, 3/c); the ROW is no BORE; 2/d goes with MM=2 of the last row.
  Strings rows;
  for (const pugi::xpath_node& n : doc->select_nodes("//BORE-CONVERSION-TABLE/*"))
    rows.push_back(std::string(n.node().name()) + ":" + n.node().attribute("MM").value() + "/" +
                   n.node().attribute("IN").value());
  EXPECT_EQ(rows, (Strings{"BORE:1/a", "ROW:2/b", "ROW:9/d", "BORE:2/e"}));
}

// Bore rows, weld exclusions and default connections found by key answer as
// the walk of the document that takes over once a node has been handed out,
// and that walk sees what the client changes through the node.
TEST(FastPaths, TableLookUpsAnswerAsTheWalkOfTheDocument) {
  Fixture f(Catalogue(
      "<BORE-CONVERSION-TABLE><BORE MM='50' IN=' 2.0'/><BORE MM='-0' IN='0.5'/><BORE MM='x' IN='3'/></BORE-CONVERSION-TABLE>"
      "<BORE-CONVERSION-TABLE><?BORE MM='7'?><BORE MM='50' IN='9'/><BORE IN='.25'/><BORE MM='80'/></BORE-CONVERSION-TABLE>"
      "<WELD-EXCLUSION-LIST><EXCLUDE IDF='100' SKEY=' elbw '/><EXCLUDE IDF=' 200'/><EXCLUDE IDF='300' SKEY='xxxxxx'/>"
      "</WELD-EXCLUSION-LIST><WELD-EXCLUSION-LIST><EXCLUDE IDF='100' SKEY='TEBW'/></WELD-EXCLUSION-LIST>"
      "<DefaultConnectionTable><ENDPREP Name='BW' Allow='A'/><ENDPREP Name='bw' Allow='B'/><ENDPREP Name='BW' Allow='C'/>"
      "<ENDPREP Name='' Allow='E'/></DefaultConnectionTable>"));
  Pipedex& p = f.pipedex;
  auto answers = [&] {
    std::vector<std::string> out;
    for (auto [to, from] : {std::pair{"MM", "IN"}, {"IN", "MM"}})
      for (double bore : {2.0, 0.0, -0.0, 0.5, 0.25, 50.0, 80.0, 3.0, 7.0, 1e300})
        out.push_back(text::DecimalText(p.GetConvertedBore(to, from, bore)));
    for (int record : {100, 200, 300, 0})
      for (const char* skey : {"ELBW", "tebw", "", "XXXXXX"}) out.push_back(p.WeldAttributesAllowed(record, skey) ? "T" : "F");
    for (const std::string& ep : std::vector<std::string>{"BW", "bw", "", "Bw", "x'y", std::string("BW\0", 3)}) {
      try {
        std::string code = ep;
        out.push_back(p.GetDefaultAllowedConnection(code));
      } catch (const Error& e) {
        out.push_back("error " + std::to_string(e.number()));
      }
    }
    return out;
  };
  const std::vector<std::string> keyed = answers();
  pugi::xml_node table = p.GetBoreConversionTable();
  EXPECT_EQ(answers(), keyed);
  table.first_child().attribute("MM").set_value("51");
  EXPECT_EQ(p.GetConvertedBore("MM", "IN", 2), 51);
}

}  // namespace
}  // namespace pipedex::testing
