// CheckCatalogue: each kind of mistake found at its exact line and column,
// whatever the file's encoding (besides those the guide's example of
// `pipedex check` shows, docs/examples/check-mistakes.out).

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <map>

#include "pipedex/check.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// One line of definitions (line 3 of the file); a row's fragment starts on line 4.
const std::string kDefinitions =
    "<A_SKEY><SKEY>ELBW</SKEY><SKEY>TE**</SKEY></A_SKEY><A_ENDPREP><ENDPREP>BW--</ENDPREP></A_ENDPREP>"
    "<A_OPERATION><Operation Enum=\"1\">Trim</Operation></A_OPERATION>"
    "<A_CONFIGURATION><Config>Angle_90</Config></A_CONFIGURATION>"
    "<A_PCFIDF><TEE><IDF>110</IDF></TEE><ELBOW><IDF>105</IDF></ELBOW></A_PCFIDF>";
const std::string kTypes =
    "<A_CPT><G><T PCFTYPE=\"TEE\" Configuration=\"Angle_90\"><SKEY>ELBW</SKEY><SKEY>TEBW</SKEY>"
    "<Operation>Trim</Operation><Flag>Variable</Flag></T></G></A_CPT>";

std::string Findings(const std::vector<Finding>& findings, const std::string& folder) {
  std::string out;
  for (const Finding& f : findings) {
    std::string file = f.file.substr(folder.size() + 1);
    const std::size_t suggestion = f.message.find("did you mean ");  // the section offered, when one is
    // Appended piece by piece: g++ 12 at -O3 warns -Wrestrict on a chain of + with a literal first.
    out += file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + " " + f.code;
    if (f.severity == "warning") out += " (warning)";
    if (suggestion != std::string::npos) out.append(" ").append(f.message, suggestion + 13);
    out += "\n";
  }
  return out;
}

TEST(CheckCatalogue, FindsEachMistakeAtItsPlace) {
  struct Row {
    std::string file;      // the file the fragment goes into (the system file holds the definitions)
    std::string fragment;  // from line 4; for "f.xml", checked alone, the whole file
    std::string expected;  // "FILE:LINE:COLUMN code" lines, warnings marked
    std::string types = kTypes;  // the system file's component types when the fragment is elsewhere
  } rows[] = {
      {"sys.xml", kTypes, ""},
      {"sys.xml", "<A_CPT/><A_CPT/>", "sys.xml:4:9 duplicate-section (warning)\n"},
      {"sys.xml", "<A_CPT><G><T Configuration=\"NonStandard\"/></G></A_CPT>", "sys.xml:4:11 missing-geometry\n"},
      {"sys.xml", "<A_CPT><G><T/></G>\n<H><T/></H></A_CPT>", "sys.xml:5:4 duplicate-name (warning)\n"},
      {"sys.xml",
       "<A_DEFAULT_ENDPREP><SKEYLIST><SKEY>ZZBW</SKEY><CP_1_PREP>XX--</CP_1_PREP><CP_2_PREP>**--</CP_2_PREP>"
       "</SKEYLIST></A_DEFAULT_ENDPREP>",
       "sys.xml:4:30 default-endprep-skey\nsys.xml:4:47 unknown-endprep\n"},
      {"sys.xml", "<DefaultConnectionTable><ENDPREP Name=\"XX--\" Allow=\"BW--\"/></DefaultConnectionTable>",
       "sys.xml:4:34 unknown-endprep\n"},
      {"sys.xml",
       "<A_CPT><G><T Configuration=\"NonStandard\"><Default-Configuration>\n"
       "  <Keypoint Name=\"Run_1\" Coords=\"1,2\"/></Default-Configuration></T></G></A_CPT>",
       "sys.xml:5:26 bad-number\n"},
      {"sys.xml",
       "<PLOTRA-ATTRIBUTES><ATT PCFBASE=\"A\" NUMBER=\"0\" BASE=\"9\"/><ATT PCFBASE=\"A\" NUMBER=\"5\" BASE=\"1\"/><ATT PCFBASE=\"a\" NUMBER=\"2\" BASE=\"4\"/>"
       "<ATT PCFBASE=\"A\" NUMBER=\"2\" BASE=\"5\"/><ATT PCFBASE=\"A\" NUMBER=\"1\" BASE=\"7\"/></PLOTRA-ATTRIBUTES>",
       "sys.xml:4:96 overlapping-family\nsys.xml:4:134 overlapping-family\nsys.xml:4:134 overlapping-family\n"},  // ranges' ends; none is empty
      // A section two letters from a missing one is an error that names it; three letters away (at either end), a warning.
      {"sys.xml", "<A_DEFAULTENDPRP/><A_DFAULTENDPRP/><PT/>",
       "sys.xml:4:1 unknown-section A_DEFAULT_ENDPREP?\nsys.xml:4:19 unknown-section (warning)\n"
       "sys.xml:4:36 unknown-section (warning)\n"},
      // Only the sections of the file's kind are offered, the nearest missing one; of two as near, the first listed.
      {"sys.xml", "<A_SKY/><A_SKT/>", "sys.xml:4:1 unknown-section (warning)\nsys.xml:4:9 unknown-section A_CPT?\n"},
      {"ProjectPipedex.xml", "<A_SKEY/>", "ProjectPipedex.xml:2:1 not-merged\nProjectPipedex.xml:4:1 unknown-section U_SKEY?\n"},
      // The merged view is checked: what overlays define and add counts, and is reported where it is written.
      {"ProjectPipedex.xml", "<U_SKEY><SKEY>VT**</SKEY></U_SKEY>", "", "<A_CPT><G><V><SKEY>VTFL</SKEY></V></G></A_CPT>"},
      {"ProjectPipedex.xml", "<U_CPT><V><W PCFTYPE=\"VALVE\"><SKEY>VTFL</SKEY></W></V><G><T><SKEY>QQ</SKEY></T></G></U_CPT>",
       "ProjectPipedex.xml:4:14 unknown-pcftype\nProjectPipedex.xml:4:30 undefined-skey\n"
       "ProjectPipedex.xml:4:61 undefined-skey\n"},
      {"ProjectPipedex.xml", "<U_SKEY><SKEY>ELBW</SKEY></U_SKEY>", "ProjectPipedex.xml:4:9 duplicate-name (warning)\n"},
      // A row without both units is skipped by the component; in an overlay it keeps the whole file from merging.
      {"sys.xml", "<BORE-CONVERSION-TABLE><BORE MM=\"50\"/></BORE-CONVERSION-TABLE>", "sys.xml:4:24 incomplete-bore (warning)\n"},
      {"ProjectPipedex.xml", "<U_SKEY><SKEY>VT**</SKEY></U_SKEY><U_BORE-CONVERSION-TABLE><BORE IN=\"2\"/></U_BORE-CONVERSION-TABLE>",
       "ProjectPipedex.xml:4:60 not-merged\nsys.xml:4:14 undefined-skey\n",
       "<A_CPT><G><V><SKEY>VTFL</SKEY></V></G></A_CPT><BORE-CONVERSION-TABLE/>"},
      {"ProjectPipedex.xml", "<SYMBOLS/>", "ProjectPipedex.xml:2:1 not-merged\n"},
      {"ProjectPipedex.xml", "<U_CPT><G><T/></G></U_CPT>", "ProjectPipedex.xml:4:1 not-merged\n", ""},
      // A default elbow that gives an angle, then one that does not.
      {"sys.xml",
       "<A_CPT><G><E PCFTYPE=\"ELBOW\" Configuration=\"NonStandard\"><Default-Configuration><Leg KeypointA=\"F\" "
       "KeypointB=\"Run_1\"/><Leg KeypointA=\"Run_2\" KeypointB=\"F\"/><Keypoint Name=\"Run_1\" Coords=\"-1,0,0\"/>"
       "<Keypoint Name=\"F\" Coords=\"0,0,0\"/><Keypoint Name=\"Run_2\" Coords=\"0,1,0\"/></Default-Configuration></E>"
       "\n<Z PCFTYPE=\"ELBOW\" Configuration=\"Angle_90\"/></G></A_CPT>",
       "sys.xml:5:1 elbow-no-angle (warning)\n"},
      {"sys.xml", "<A_CPT><G a=\"1\" a=\"2\"/></A_CPT>", "sys.xml:4:17 parse\n"},
      {"SystemPipedex.de.xml",
       "<A_SKEY><SKEY Description=\"x\">QQQQ</SKEY>\n<SKEY ZColour=\"\" Colour=\"red\">ELBW</SKEY></A_SKEY>",
       "SystemPipedex.de.xml:4:9 stale-translation (warning)\nSystemPipedex.de.xml:5:7 variant-attribute (warning)\n"
       "SystemPipedex.de.xml:5:18 variant-attribute (warning)\n"},
      {"ProjectPipedex.xml", "<U_CPT><!-- -->\n<N/></U_CPT><CHANGE_GROUPS><G><Ghost/><T/></G><N><T/></N><Nowhere><T/></Nowhere></CHANGE_GROUPS>",
       "ProjectPipedex.xml:5:31 unknown-component-type\nProjectPipedex.xml:5:58 unknown-group\n"},
      {"ProjectPipedex.xml", "<U_CPT><G><T", "ProjectPipedex.xml:5:1 parse\n"},
      // Columns count characters whatever the encoding.
      // "Gé" in windows-1252: one byte, one character.
      {"f.xml", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<ZENROD-ISOMETRICS-DATA>\n" + kDefinitions +
           "\n<A_CPT><G\xE9><T PCFTYPE=\"NOPE\"/></G\xE9></A_CPT></ZENROD-ISOMETRICS-DATA>",
       "f.xml:4:15 unknown-pcftype\n"},
      // In UTF-8 two bytes, still one character.
      {"f.xml", Catalogue(kDefinitions + "\n<A_CPT><G\xC3\xA9><T PCFTYPE=\"NOPE\"/></G\xC3\xA9></A_CPT>"), "f.xml:4:15 unknown-pcftype\n"},
      {"f.xml", Utf16("<?xml version=\"1.0\"?>\r\n<ZENROD-ISOMETRICS-DATA>\r\n" + kDefinitions +
                      "\r\n<A_CPT><G><T PCFTYPE=\"NOPE\"/></G></A_CPT></ZENROD-ISOMETRICS-DATA>"),
       "f.xml:4:14 unknown-pcftype\n"},
      {"f.xml", "<OTHER/>", "f.xml:1:1 root\n"},
      {"f.xml", Catalogue("<A_PCFIDF>\n<TEE><IDF> 110</IDF><IDF>1.5</IDF></TEE></A_PCFIDF>"), "f.xml:4:21 bad-number\n"},
      // Without A_PCFIDF every PCF type is unknown, as every SKEY is undefined without A_SKEY.
      {"f.xml", Catalogue("\n<A_CPT><G><T PCFTYPE=\"TEE\"><SKEY>ELBW</SKEY></T></G></A_CPT>"),
       "f.xml:4:14 unknown-pcftype\nf.xml:4:28 undefined-skey\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    const bool system = row.file == "sys.xml", alone = row.file == "f.xml";
    dir.Write("sys.xml", Catalogue(kDefinitions + "\n" + (system ? row.fragment : row.types)));
    if (!system) dir.Write(row.file, alone ? row.fragment : Catalogue("\n" + row.fragment));
    const auto findings = CheckCatalogue(dir.File(alone ? "f.xml" : "sys.xml"), {"", "", {"de", "AT"}});
    EXPECT_EQ(Findings(findings, dir.path()), row.expected) << row.fragment;
  }
}

// Files that are no catalogue text are refused by the library's own read,
// never read without end, and a folder or link that fails is no abort.
TEST(CheckCatalogue, ReadsOnlyRegularFilesOfACatalogueSize) {
  TempDir dir;
  const std::string sys = dir.Write("sys.xml", Catalogue(kDefinitions + "\n" + kTypes));
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("loop", dir.File("loop"));
  std::filesystem::create_symlink("ProjectPipedex.xml", dir.File("ProjectPipedex.xml"));  // skipped, as in loading
  std::filesystem::resize_file(dir.Write("big", ""), (std::uintmax_t{2} << 30) + 1);  // sparse
  for (auto [file, code] : {std::pair{dir.File("fifo"), "missing-file"}, {"/dev/zero", "missing-file"},
                            {dir.File("loop"), "missing-file"}, {dir.File("big"), "too-large"}}) {
    const auto findings = CheckCatalogue(sys, {"", file, {}});
    EXPECT_EQ(findings.size() == 1 ? findings[0].file + " " + findings[0].code : "", file + " " + code);
  }
  const auto here = std::filesystem::current_path();
  dir.Write("gone/x", "");
  std::filesystem::current_path(dir.File("gone"));
  std::filesystem::remove_all(dir.File("gone"));  // the current folder, deleted
  const auto findings = CheckCatalogue("SystemPipedex.xml", {"", "", {"de", ""}});
  std::filesystem::current_path(here);
  EXPECT_EQ(findings.size() == 1 ? findings[0].code : "", "missing-file");
}

// An editor's texts stand in for the files (a text with no file counts as
// one), and every name of the merged view is reported where its text starts.
TEST(CheckCatalogue, NamesEachDefinitionAndUseInTheGivenTexts) {
  TempDir dir;
  const std::string sys = dir.Write("sys.xml", "not what is checked"), project = dir.File("ProjectPipedex.xml");
  const std::map<std::string, std::string> texts = {
      {sys, Catalogue("<A_SKEY><SKEY Description=\"E\">ELBW</SKEY></A_SKEY><A_PCFIDF><TEE><IDF>110</IDF></TEE></A_PCFIDF>\n"
                      "<A_CPT><G\xC3\xA9><T PCFTYPE=\"TEE\"><SKEY><![CDATA[ELBW]]></SKEY></T></G\xC3\xA9></A_CPT>")},
      {project, Catalogue("<U_CPT><G><U><SKEY>  ELXX</SKEY></U></G></U_CPT>")}};
  std::vector<NamePlace> names;
  std::string out;
  for (const Finding& f : CheckCatalogue(sys, {}, texts, names)) out += f.code + "\n";
  for (const NamePlace& n : names) {
    out += n.file.substr(dir.path().size() + 1) + ":" + std::to_string(n.line) + ":" + std::to_string(n.column) + " " +
           n.kind + " " + n.name + (n.definition ? " defined in " : " used in ") + n.container;
    for (const auto& [name, value] : n.attributes) out.append(" ").append(name).append("=").append(value);
    out += "\n";
  }
  EXPECT_EQ(out,
            "undefined-skey\n"
            "sys.xml:3:31 SKEY ELBW defined in A_SKEY Description=E\n"
            "sys.xml:3:62 PCF type TEE defined in A_PCFIDF IDF=110\n"
            "sys.xml:4:9 group G\xC3\xA9 defined in A_CPT\n"  // columns count characters, not bytes
            "sys.xml:4:13 component type T defined in G\xC3\xA9 PCFTYPE=TEE\n"
            "sys.xml:4:24 PCF type TEE used in T\n"
            "sys.xml:4:44 SKEY ELBW used in T\n"  // inside its CDATA section
            "ProjectPipedex.xml:3:9 group G defined in A_CPT\n"
            "ProjectPipedex.xml:3:12 component type U defined in G\n"
            "ProjectPipedex.xml:3:22 SKEY ELXX used in U\n");
}

}  // namespace
}  // namespace pipedex::testing
