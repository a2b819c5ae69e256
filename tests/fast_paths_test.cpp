// The fast paths answer as the slow ones they replace. One generator draws
// catalogues and probe texts from pieces that tell the two apart (letter case,
// white space of every kind, non-ASCII letters, quotes, "~"); every row then
// compares the fast answer with the slow one on each draw, a raised error
// included. A new fast path is one more row.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "model/configuration_lookup.h"
#include "model/keyed_list.h"
#include "model/token_index.h"
#include "base/text.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::vector<std::string> kPieces = {"Tee", "tee", "TEE", " ", "  ", "\t", "\n", "Ä", "ä", "ß", "SS", "ǅ", "ǆ",
                                          "Δ", "δ", "'", "\"", "~", "-", "_90", "Angle", "x", "BW", "bw", "ı", "I"};

std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\'' ? "&apos;" : c == '"' ? "&quot;" : c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
  return out;
}

// One draw: a catalogue built from random words, parsed once and loaded by an instance.
struct Draw {
  explicit Draw(unsigned seed) : random(seed) {
    std::string cpt, config, endpreps, operations;
    for (int g = 0; g < 3; ++g) {
      const std::string group = Pick({"G", "g", "H"});
      cpt += "<" + group + ">";
      for (int t = 0; t < 4; ++t) {
        const std::string type = "T" + std::to_string(g) + std::to_string(t);
        cpt += "<" + type + " PCFTYPE='" + Escaped(Pick({"P", "p", " P", "Q"})) + "' Configuration='" + Escaped(Word()) +
               "'><SKEY>XX**</SKEY></" + type + ">";
      }
      cpt += "</" + group + "><!-- c -->";
    }
    for (int i = 0; i < 6; ++i) {
      words.push_back(Word());
      config += "<Config>" + Escaped(words.back()) + (i % 2 ? "<!-- c -->" : "<![CDATA[x]]>") +
                (i % 3 ? "<Default-Configuration n='" : "<Default-DataEntry n='") + std::to_string(i) + "'/>" +
                (i % 2 ? "<Default-DataEntry n='d" + std::to_string(i) + "'/>" : "") + "</Config>";
      endpreps += "<ENDPREP Plotra='Y'>" + Escaped(words.back()) + "</ENDPREP>";
      operations += "<Operation>" + Escaped(Word()) + "</Operation><Other>" + (i % 2 ? "<!-- c -->" : "") +
                    Escaped(words.back()) + "</Other>";
    }
    // Config elements outside A_CONFIGURATION count for nothing.
    text = Catalogue("<A_CPT>" + cpt + "</A_CPT><A_OTHER><Config>" + Escaped(words[0]) + "<Default-Configuration/>"
                     "<Default-DataEntry/></Config></A_OTHER><A_CONFIGURATION>" + config + "</A_CONFIGURATION><A_ENDPREP>" + endpreps +
                     "</A_ENDPREP><A_OPERATION>" + operations + "</A_OPERATION>");
    doc = Load(text);
    root = doc.document_element();
  }
  std::string Pick(std::initializer_list<const char*> from) { return *(from.begin() + random() % from.size()); }
  std::string Word() {
    std::string w;
    for (auto n = random() % 4; n > 0; --n) w += kPieces[random() % kPieces.size()];
    return w;
  }
  // A probe: a catalogue word as it is, in other letter case or blanks, or a fresh word.
  std::string Probe() {
    const std::string& w = words[random() % words.size()];
    switch (random() % 4) {
      case 0: return w;
      case 1: return text::Upper(w);
      case 2: return " " + w + Pick({"", " ", "\t"});
      default: return Word();
    }
  }

  std::mt19937 random;
  std::vector<std::string> words;
  std::string text;
  pugi::xml_document doc;
  pugi::xml_node root;
  Fixture* fixture = nullptr;
};

using Answer = std::function<std::string(Draw&, const std::string& probe)>;
struct Row {
  const char* fastPath;
  Answer slow, fast;
};

std::string Id(pugi::xml_node n) { return n ? std::to_string(n.offset_debug()) : "none"; }
std::string Ids(const std::vector<pugi::xml_node>& nodes) {
  std::string out;
  for (pugi::xml_node n : nodes) out += Id(n) + " ";
  return out;
}
std::string Listed(Pipedex& p, std::int32_t count) {
  std::string out;
  for (std::int32_t i = 1; i <= count; ++i) out += p.GetComponentType(i) + "|";
  return out;
}
// The component types GROUP/* selects, with the configuration when given; none when no expression can be written.
std::string Selected(Draw& d, const std::string& group, const std::string* value) {
  std::string out;
  try {
    const std::string predicate = value ? "[" + xml::NoCaseEquals("@Configuration", *value) + "]" : "";
    for (pugi::xml_node n : xml::SelectNodes(d.root.child("A_CPT"), xml::ElementName(group) + "/*" + predicate))
      out += std::string(n.name()) + "|";
  } catch (const Error&) {
  }
  return out;
}
std::vector<std::string_view> Steps(const std::string& probe) {
  static const std::string_view kSteps[] = {"A_CPT", "*", "SKEY", "A_CONFIGURATION", "G", "Config"};
  std::vector<std::string_view> steps;
  const std::string chosen = probe + "A";  // one step at least
  for (std::size_t i = 0; i < std::min<std::size_t>(chosen.size(), 4); ++i)
    steps.push_back(kSteps[static_cast<unsigned char>(chosen[i]) % std::size(kSteps)]);
  return steps;
}
// The child path walk takes its steps as a list written in the call.
std::vector<pugi::xml_node> ChildPath(pugi::xml_node root, const std::vector<std::string_view>& s) {
  switch (s.size()) {
    case 0: return xml::SelectChildPath(root, {});
    case 1: return xml::SelectChildPath(root, {s[0]});
    case 2: return xml::SelectChildPath(root, {s[0], s[1]});
    case 3: return xml::SelectChildPath(root, {s[0], s[1], s[2]});
    default: return xml::SelectChildPath(root, {s[0], s[1], s[2], s[3]});
  }
}
std::string Join(const std::vector<std::string_view>& steps) {
  std::string out;
  for (auto s : steps) out += (out.empty() ? "" : "/") + std::string(s);
  return out;
}
bool HasNul(const std::string& s) { return s.find('\0') != std::string::npos; }

// The answer of a search through the ENDPREP texts, as IsPlotraEndPrep gives it from its token index.
std::string PlotraBySearch(Draw& d, const std::string& p) {
  std::string t;
  for (pugi::xml_node e : d.root.child("A_ENDPREP").children()) t += "~" + text::Left(xml::Text(e), 2) + "~";
  return std::to_string(text::Upper(t).find("~" + text::UpperTrim(text::Left(p, 2)) + "~") != std::string::npos);
}
// The PCF types of all component types (each lists XX**), each once, in document order.
std::string PCFTypesByWalk(Draw& d, const std::string&) {
  std::vector<std::string> seen;
  for (pugi::xml_node t : xml::SelectNodes(d.root, "A_CPT/*/*"))
    if (std::find(seen.begin(), seen.end(), t.attribute("PCFTYPE").value()) == seen.end()) seen.push_back(t.attribute("PCFTYPE").value());
  std::string out;
  for (const auto& s : seen) out += s + "|";
  return out;
}
std::string PCFTypesFound(Draw& d, const std::string&) {
  Pipedex& p = d.fixture->pipedex;
  std::string out;
  for (std::int32_t i = 1, n = p.FindPCFTYPEs("XX**", 999); i <= n; ++i) out += p.GetPCFTYPE(i) + "|";
  return out;
}
// The text the tokens of the catalogue words make, each once, and whether it holds the probe alone, as a token,
// and with a "~" after it only.
std::string TokensBySearch(Draw& d, const std::string& p) {
  std::string t;
  for (const auto& w : d.words) t += t.find("~" + w + "~") == std::string::npos ? "~" + w + "~" : "";
  return std::to_string(t.find(p) != std::string::npos) + std::to_string(t.find("~" + p + "~") != std::string::npos) +
         std::to_string(t.find(p + "~") != std::string::npos);
}
std::string TokensByIndex(Draw& d, const std::string& p) {
  model::TokenIndex index;
  std::string t;
  for (const auto& w : d.words)
    if (!index.Contains(t, "~" + w + "~")) index.Append(t, "~" + w + "~");
  return std::to_string(index.Contains(t, p)) + std::to_string(index.Contains(t, "~" + p + "~")) +
         std::to_string(index.Contains(t, p + "~"));
}
std::string KeyBySearch(Draw& d, const std::string& p) {
  for (const auto& w : d.words)
    if (text::Upper(w) == text::Upper(p)) return text::Upper(w);
  return "none";
}
std::string KeyByList(Draw& d, const std::string& p) {
  model::KeyedList<std::string> list;
  for (const auto& w : d.words) list.Append(w, w);
  const std::string* found = list.Find(p);
  return found ? text::Upper(*found) : "none";
}
std::string MatchesBySelection(Draw& d, const std::string& p) {
  std::string out;
  for (pugi::xml_node c : d.root.child("A_OPERATION").children())
    out += HasNul(p) || c.select_nodes(("self::*[" + xml::NoCaseEquals(".", p) + "]").c_str()).empty() ? "0" : "1";
  return out;
}
std::string MatchesByMatcher(Draw& d, const std::string& p) {
  std::string out;
  const xml::NoCaseValue wanted(p);
  for (pugi::xml_node c : d.root.child("A_OPERATION").children()) out += !HasNul(p) && wanted.Matches(xml::Text(c)) ? "1" : "0";
  return out;
}
std::string Parsed(bool ok, const pugi::xml_document& doc, const xml::ParseError& e) {
  return ok ? xml::OuterXml(doc) : e.reason + std::to_string(e.line) + e.srcText;
}
// The catalogue text cut short by the probe's length, parsed from memory and from a file.
std::string ParsedText(Draw& d, const std::string& p) {
  pugi::xml_document doc;
  xml::ParseError e;
  return Parsed(xml::LoadText(doc, d.text.substr(0, d.text.size() - p.size()), e), doc, e);
}
std::string ParsedFile(Draw& d, const std::string& p) {
  pugi::xml_document doc;
  xml::ParseError e;
  return Parsed(xml::LoadFile(doc, d.fixture->dir.Write("cut.xml", d.text.substr(0, d.text.size() - p.size())), e), doc, e);
}
std::string ConfigBySelection(Draw& d, const std::string& p, const char* child) {
  return Id(d.root.select_node(("A_CONFIGURATION/Config[contains(.,'" + p + "')]/" + child).c_str()).node());
}
std::string Found(Draw& d, const std::string& group, const std::string& by, const std::string& value) {
  return Listed(d.fixture->pipedex, d.fixture->pipedex.FindComponentTypes(group, by, value));
}
pugi::xml_node Operations(Draw& d) { return d.root.child("A_OPERATION"); }

const Row kRows[] = {
    {"child path", [](Draw& d, auto& p) { return Ids(xml::SelectNodes(d.root, Join(Steps(p)))); },
     [](Draw& d, auto& p) { return Ids(ChildPath(d.root, Steps(p))); }},
    {"configuration child", [](Draw& d, auto& p) { return ConfigBySelection(d, p, "Default-Configuration"); },
     [](Draw& d, auto& p) { return Id(model::FindConfigurationChild(d.root, p, "Default-Configuration")); }},
    {"child by text in any case",
     [](Draw& d, auto& p) { return Id(xml::SelectSingleNode(Operations(d), "Other[" + xml::NoCaseEquals(".", p) + "]")); },
     [](Draw& d, auto& p) { return Id(xml::FirstChildNoCase(Operations(d), "Other", p)); }},
    {"text matcher", MatchesBySelection, MatchesByMatcher},
    {"keyed list", KeyBySearch, KeyByList},
    {"token index", TokensBySearch, TokensByIndex},
    {"configuration search", [](Draw& d, auto& p) { return Selected(d, "*", &p); },
     [](Draw& d, auto& p) { return Found(d, "", "Configuration", p); }},
    {"configuration search in a group", [](Draw& d, auto& p) { return Selected(d, "g", &p); },
     [](Draw& d, auto& p) { return Found(d, "g", "Configuration", p); }},
    {"whole group", [](Draw& d, auto& p) { return Selected(d, p.empty() ? "*" : p, nullptr); },
     [](Draw& d, auto& p) { return Found(d, p, "SKEY", "*"); }},
    {"plotra end preparation", PlotraBySearch, [](Draw& d, auto& p) { return std::to_string(d.fixture->pipedex.IsPlotraEndPrep(p)); }},
    {"PCF types without duplicates", PCFTypesByWalk, PCFTypesFound},
    {"file parsed in place", ParsedText, ParsedFile},
};

std::string Answered(const Answer& answer, Draw& d, const std::string& probe) {
  try {
    return answer(d, probe);
  } catch (...) {  // the component's Error, or the XPath engine's own for an expression it cannot read
    return "error";
  }
}

TEST(FastPaths, AnswerAsTheSlowPathOnGeneratedCataloguesAndProbes) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    Draw d(seed);
    Fixture f(d.text);
    d.fixture = &f;
    for (int probe = 0; probe < 25; ++probe) {
      const std::string p = d.Probe();
      for (const Row& row : kRows)
        EXPECT_EQ(Answered(row.fast, d, p), Answered(row.slow, d, p)) << row.fastPath << ", seed " << seed << ", [" << p << "]";
    }
  }
  // Outside a document the fast paths raise as the slow ones do.
  EXPECT_THROW(xml::SelectChildPath(pugi::xml_node(), {"A_CPT"}), Error);
  EXPECT_THROW(xml::FirstChildNoCase(pugi::xml_node(), "Operation", "Trim"), Error);
}

// Bore rows, weld exclusions and default connections found by key answer as
// the walk of the document that takes over once a node has been handed out,
// and that walk sees what the client changes through the node.
TEST(FastPaths, TableLookUpsAnswerAsTheWalkOfTheDocument) {
  const std::string catalogue = Catalogue(
      "<A_CPT><G><CT Configuration='NonStandard'><Default-Configuration/><Default-DataEntry/></CT></G></A_CPT>"
      "<BORE-CONVERSION-TABLE><BORE MM='50' IN=' 2.0'/><BORE MM='-0' IN='0.5'/><BORE MM='x' IN='3'/></BORE-CONVERSION-TABLE>"
      "<BORE-CONVERSION-TABLE><?BORE MM='7'?><BORE MM='50' IN='9'/><BORE IN='.25'/><BORE MM='80'/></BORE-CONVERSION-TABLE>"
      "<WELD-EXCLUSION-LIST><EXCLUDE IDF='100' SKEY=' elbw '/><EXCLUDE IDF=' 200'/><EXCLUDE IDF='300' SKEY='xxxxxx'/>"
      "</WELD-EXCLUSION-LIST><WELD-EXCLUSION-LIST><EXCLUDE IDF='100' SKEY='TEBW'/></WELD-EXCLUSION-LIST>"
      "<DefaultConnectionTable><ENDPREP Name='BW' Allow='A'/><ENDPREP Name='bw' Allow='B'/><ENDPREP Name='BW' Allow='C'/>"
      "<ENDPREP Name='' Allow='E'/></DefaultConnectionTable>");
  auto answers = [](Pipedex& p) {
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
  // Any node handed out leads to the whole document, so each one hands the answers to the walk.
  using HandOut = pugi::xml_node (*)(Pipedex&);
  for (HandOut handOut : {+[](Pipedex& p) { return p.GetBoreConversionTable(); },
                          +[](Pipedex& p) { return p.GetComponentTypeDefaultConfiguration("CT"); },
                          +[](Pipedex& p) { return p.GetComponentTypeDefaultDataEntry("CT"); }}) {
    Fixture f(catalogue);
    const std::vector<std::string> keyed = answers(f.pipedex);
    pugi::xml_node table = handOut(f.pipedex).root().first_element_by_path("ZENROD-ISOMETRICS-DATA/BORE-CONVERSION-TABLE");
    EXPECT_EQ(answers(f.pipedex), keyed);
    table.first_child().attribute("IN").set_value("4");  // a key the tables never saw
    EXPECT_EQ(f.pipedex.GetConvertedBore("MM", "IN", 4), 50);
  }
}

}  // namespace
}  // namespace pipedex::testing
