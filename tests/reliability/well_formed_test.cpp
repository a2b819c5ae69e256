// Only well-formed XML loads, and the error points at the fault: its reason,
// its line (counted over CR, LF and CRLF) and a bounded piece of its source line.

#include <gtest/gtest.h>

#include <unistd.h>

#include "base/xml_document.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

struct Loaded {
  bool ok;
  xml::ParseError error;
};

Loaded LoadOf(const std::string& text) {
  pugi::xml_document doc;
  Loaded r{};
  r.ok = xml::LoadText(doc, text, r.error);
  return r;
}

TEST(WellFormed, FaultsTheParserWouldLetThroughAreLocated) {
  struct Case {
    const char* text;
    const char* reason;  // the start of the reason
    int line;
    const char* source;
  };
  const Case cases[] = {
      {"<a/>\n<b/>", "Only one root element", 2, "<b/>"},
      {"<a/>\ntext", "Text is not allowed outside", 2, "text"},
      {"x<a/>", "Text is not allowed outside", 1, "x<a/>"},
      {"<a/>&amp;", "Text is not allowed outside", 1, "<a/>&amp;"},
      {"<a\n x='1' x='2'/>", "An attribute may appear only once", 2, " x='1' x='2'/>"},
      {"<a x='<'/>", "The character '<' is not allowed", 1, "<a x='<'/>"},
      {"<a x='&'/>", "An ampersand must begin a reference", 1, "<a x='&'/>"},
      {"<a>&nbsp;</a>", "Reference to an undeclared entity", 1, "<a>&nbsp;</a>"},
      {"<a>x]]>y</a>", "The text ']]>' is not allowed", 1, "<a>x]]>y</a>"},
      {"<a><!-- a -- b --></a>", "The text '--' is not allowed inside a comment", 1, "<a><!-- a -- b --></a>"},
      {"<a><!-- a ---></a>", "The text '--' is not allowed inside a comment", 1, "<a><!-- a ---></a>"},
      {" <?xml version='1.0'?><a/>", "The XML declaration is allowed only at the very beginning", 1, ""},
      {"<!-- c --><?xml version='1.0'?><a/>", "The XML declaration is allowed only at the very beginning", 1, ""},
      {"<?xml version='2.0'?><a/>", "The XML declaration names a version other than 1.x", 1, ""},
      {"<?xml encoding='UTF-8'?><a/>", "The XML declaration must begin with a version", 1, ""},
      {"<?xml version='1.0' xencoding='latin1'?><a/>", "The XML declaration is malformed", 1, ""},
      {"<!DOCTYPE a><!DOCTYPE a><a/>", "Only one document type declaration", 1, ""},
      {"<a/><!DOCTYPE a>", "The document type declaration must come before", 1, ""},
      {"<a>&#xD800;</a>", "A character reference names a character that XML does not allow", 1, ""},
      {"<a>&#x110000;</a>", "A character reference names a character that XML does not allow", 1, ""},
      {"<a>&#xFFFE;</a>", "A character reference names a character that XML does not allow", 1, ""},
      {"<a x='&#0;'/>", "A character reference names a character that XML does not allow", 1, ""},
      {"<a>\r\r\r&#1;</a>", "A character reference names a character that XML does not allow", 4, "&#1;</a>"},
      {"<a>\n</b><!-- -- --></a>", "Start-end tags mismatch", 2, ""},  // the first fault is reported
      {"<a>\r\n\n\r&#27;</a>", "A character reference names a character that XML does not allow", 4, "&#27;</a>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Loaded r = LoadOf(c.text);
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.error.reason.rfind(c.reason, 0), 0u) << r.error.reason;
    EXPECT_EQ(r.error.line, c.line);
    EXPECT_TRUE(!*c.source || r.error.srcText == c.source) << r.error.srcText;
  }
  // What XML allows still loads.
  for (const char* text : {"<?xml version='1.1' encoding='UTF-8' standalone='yes' ?><a/>", "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>",
                           "<?xml-stylesheet href='s'?><a/><!-- after --><?pi after?>\n", "<a x='&#x9;&#xA0;&#x10FFFF;'><![CDATA[]]]]></a>",
                           "<a><!----></a>", "\xEF\xBB\xBF<a>&lt;&gt;&amp;&apos;&quot;</a>"})
    EXPECT_TRUE(LoadOf(text).ok) << text << LoadOf(text).error.reason;
}

TEST(WellFormed, SourceLinesAreCutAroundTheColumnAndEncodingsNamedAsXmlDoes) {
  // One long line: the source shows 200 bytes around the fault, marked where cut.
  const std::string longLine = "<a>" + std::string(5000, 'x') + "&bad;" + std::string(5000, 'y') + "</a>";
  Loaded r = LoadOf(longLine);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.srcText, "..." + std::string(100, 'x') + "&bad;" + std::string(95, 'y') + "...");
  EXPECT_EQ(LoadOf("<a>" + std::string(5000, 'x') + "&bad;</a>").error.srcText, "..." + std::string(191, 'x') + "&bad;</a>");
  // Only the encoding pseudo-attribute names the encoding: a comment after
  // the declaration does not, and names compare as XML compares them.
  const std::string latin1Body = "<a d=\"\xE4\"/>";
  EXPECT_EQ(LoadOf("<?xml version='1.0'?><!-- encoding='latin1' -->" + latin1Body).error.reason,
            "An invalid character was found in text content.\r\n");
  for (const char* name : {"latin1", "LATIN1", "iso-8859-1", "ISO_8859-1"})
    EXPECT_TRUE(LoadOf(std::string("<?xml version='1.0' encoding='") + name + "'?>" + latin1Body).ok) << name;
  EXPECT_TRUE(LoadOf("<?xml version='1.0' encoding='UTF16'?><a d='\xC3\xA4'/>").ok);
  // Whatever declaration a file brings, or none, the saved file declares UTF-8.
  TempDir dir;
  for (const char* text : {"<?xml version='1.1'?><a/>", "<?xml version='1.0' encoding='latin1' standalone='no'?><a/>", "<a/>"}) {
    pugi::xml_document doc;
    xml::ParseError error;
    ASSERT_TRUE(xml::LoadText(doc, text, error)) << text;
    xml::SaveFile(doc, dir.path() + "/saved.xml");
    EXPECT_NE(ReadFile(dir.path() + "/saved.xml").find("encoding=\"UTF-8\""), std::string::npos) << text;
  }
}

TEST(WellFormed, EveryFileKindGivesItsOwnLocatedError) {
  const std::string bad = Catalogue("<A_SKEY><SKEY>BW&#0;</SKEY></A_SKEY>");
  Fixture system(bad);
  Error e = ErrorOf([&] { system.pipedex.GroupCount(); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040203));
  EXPECT_NE(e.description().find("Source : "), std::string::npos) << e.description();
  Fixture project(Catalogue(""));
  const std::string file = project.dir.Write("project.xml", bad);
  e = ErrorOf([&] { project.pipedex.LoadProjectXML(file); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040213));
  EXPECT_NE(e.description().find("A character reference names"), std::string::npos) << e.description();
  // A path with a zero byte names no file, even when its start does.
  e = ErrorOf([&] { project.pipedex.LoadProjectXML(file + std::string("\0.bak", 5)); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040212));
  EXPECT_EQ(project.pipedex.ProjectXMLPath(), "");
  // Too large a file is refused before it is read (a sparse file takes no room).
  const std::string huge = project.dir.path() + "/huge.xml";
  ASSERT_EQ(::truncate(project.dir.Write("huge.xml", "<a/>").c_str(), static_cast<off_t>(xml::kMaxFileSize) + 1), 0);
  e = ErrorOf([&] { project.pipedex.LoadProjectXML(huge); });
  EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80040213));
  EXPECT_NE(e.description().find("larger than the 2048 MiB"), std::string::npos) << e.description();
}

}  // namespace
}  // namespace pipedex::testing
