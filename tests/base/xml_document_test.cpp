// Loading XML text: every encoding a catalogue may come in ends as the same
// UTF-8 document, only well-formed XML loads, and an error points at the fault
// with its reason, its line (counted over CR, LF and CRLF) and a bounded piece
// of its source line.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// "ok VALUE" (the root's d attribute) for text that loads, else
// "@LINE [SOURCE] REASON" with the reason's first line.
std::string Loaded(const std::string& bytes) {
  pugi::xml_document doc;
  xml::ParseError e;
  if (xml::LoadText(doc, bytes, e)) return "ok " + std::string(doc.document_element().attribute("d").value());
  return "@" + std::to_string(e.line) + " [" + e.srcText + "] " + e.reason.substr(0, e.reason.find("\r\n"));
}

// The characters of a text in a fixed-width Unicode form, with or without a byte order mark.
std::string Encode(const std::u32string& text, int width, bool bigEndian, bool bom) {
  std::string out;
  auto put = [&](char32_t unit) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((unit >> (bigEndian ? 8 * (width - 1 - i) : 8 * i)) & 0xFF));
  };
  if (bom) put(0xFEFF);
  for (char32_t c : text) {
    if (width == 2 && c > 0xFFFF) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

const std::string kDocument = "<a d=\"\u00E4\u20AC\U0001F600\">x</a>";
std::string Declared(const std::string& encoding, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=" + encoding + "?>\n" + body;
}

TEST(XmlDocument, EveryEncodingLoadsAsTheSameText) {
  const std::u32string declared = U"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a d=\"\u00E4\u20AC\U0001F600\">x</a>";
  const std::u32string bare = U"<a d=\"\u00E4\u20AC\U0001F600\">x</a>";
  for (int width : {2, 4}) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(std::to_string(width * 8) + (bigEndian ? " BE" : " LE"));
      EXPECT_EQ(Loaded(Encode(bare, width, bigEndian, true)), "ok \u00E4\u20AC\U0001F600");
      EXPECT_EQ(Loaded(Encode(width == 2 ? declared : bare, width, bigEndian, false)), "ok \u00E4\u20AC\U0001F600");
    }
  }
  const std::string euros(5000, '\x80');  // three UTF-8 bytes each: outgrows any first guess of the size
  const std::pair<std::string, std::string> rows[] = {
      {"\xEF\xBB\xBF" + kDocument, "ok \u00E4\u20AC\U0001F600"},
      {Declared("\"ISO-8859-15\"", "<a d=\"\xA4\"/>"), "ok \u20AC"},
      // windows-1252 where it differs from Latin-1.
      {Declared("'windows-1252'", "<a d=\"\x80\x82\x8A\x91\x92\x93\x94\x96\x97\x99\x9F\xE4\"/>"), "ok €‚Š‘’“”–—™Ÿä"},
      // Names that mean UTF-8, and 16-bit names on 8-bit text: read as UTF-8.
      {Declared("\"utf8\"", kDocument), "ok \u00E4\u20AC\U0001F600"},
      {Declared("\"US-ASCII\"", kDocument), "ok \u00E4\u20AC\U0001F600"},
      {Declared("'utf-32'", kDocument), "ok \u00E4\u20AC\U0001F600"},
      {Declared("\"UCS-2\"", kDocument), "ok \u00E4\u20AC\U0001F600"},
      {"<?xml version='1.0' encoding='UTF16'?><a d='\xC3\xA4'/>", "ok \u00E4"},
      // Only the encoding pseudo-attribute names the encoding, compared as XML compares names.
      {"<?xml version='1.0' encoding='latin1'?><a d=\"\xE4\"/>", "ok \u00E4"},
      {"<?xml version='1.0' encoding='LATIN1'?><a d=\"\xE4\"/>", "ok \u00E4"},
      {"<?xml version='1.0' encoding='ISO_8859-1'?><a d=\"\xE4\"/>", "ok \u00E4"},
      {"<?xml version='1.0'?><!-- encoding='latin1' --><a d=\"\xE4\"/>", "@1 [<?xml version='1.0'?><!-- encoding='latin1' --><a d=\"\xEF\xBF\xBD\"/>] An invalid character"},
      {Declared("'x:y'", "<a/>"), "@1 [<?xml version=\"1.0\" encoding='x:y'?>] The XML declaration names an encoding that is not a valid name"},
      {Declared("'1x'", "<a/>"), "@1 [<?xml version=\"1.0\" encoding='1x'?>] The XML declaration names an encoding that is not a valid name"},
      // An encoding declaration that the byte order mark or the first characters contradict.
      {Encode(U"<?xml version='1.0' encoding='ISO-8859-1'?><a/>", 2, false, true), "@1 [<?xml version='1.0' encoding='ISO-8859-1'?><a/>] The XML declaration names another encoding"},
      {Encode(U"<?xml version='1.0' encoding='UTF-16BE'?><a/>", 2, false, true), "@1 [<?xml version='1.0' encoding='UTF-16BE'?><a/>] The XML declaration names another"},
      {Encode(U"<?xml version='1.0' encoding='UTF-16LE'?><a/>", 2, true, false), "@1 [<?xml version='1.0' encoding='UTF-16LE'?><a/>] The XML declaration names another"},
      {"\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-16'?><a/>", "@1 [<?xml version='1.0' encoding='UTF-16'?><a/>] The XML declaration names another"},
      {"\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><a d='x'/>", "ok x"},
      {Encode(U"<?xml version='1.0' encoding='UTF-16LE'?><a d='x'/>", 2, false, true), "ok x"},
      {Declared("'zZ'", "<a/>"), "@1 [<?xml version=\"1.0\" encoding='zZ'?>] The encoding 'zZ' is not supported"},
      {Declared("'Zz'", "<a/>"), "@1 [<?xml version=\"1.0\" encoding='Zz'?>] The encoding 'Zz' is not supported"},
      {Declared("\"x-no-such-set\"", "\n<a/>"), "@1 [<?xml version=\"1.0\" encoding=\"x-no-such-set\"?>] The encoding 'x-no-such-set' is not supported or the text is not in it."},
      {Declared("\"windows-1252\"", "<a>\n\x8D</a>"), "@3 [] "},  // nothing of the line could be read
      {"<?xml version=\"1.0\" encoding=\"UTF-8<a/>", "@1 [<?xml version=\"1.0\" encoding=\"UTF-8<a/>] The XML declaration is not closed."},
      {"<?xml version=\"1.0\" encoding ?><a/>", "@1 [<?xml version=\"1.0\" encoding ?><a/>] The XML declaration is malformed."},
      {Encode(U"<a d='x'/>", 2, true, false), "@1 ["},  // 16-bit text needs a byte order mark or a declaration
      {"\xEF\xBF\xBD<a d='x'/>", "@1 ["},  // three bytes that are not a byte order mark stay text
      // An odd byte at the end of UTF-16 text, and a lone surrogate, are not text.
      {Encode(bare, 2, false, true) + "<", "@1 [<a d=\"\u00E4\u20AC\U0001F600\">x</a>] An invalid character"},
      {Encode(U"<a d=\"", 2, false, true) + std::string("\x00\xD8", 2) + Encode(U"\"/>", 2, false, false),
       "@1 [<a d=\"] An invalid character"},
  };
  for (const auto& [bytes, expected] : rows) {
    const std::string got = Loaded(bytes);
    EXPECT_EQ(expected.rfind("ok ", 0) == 0 ? got : got.substr(0, expected.size()), expected) << bytes.substr(0, 80);
  }
  EXPECT_EQ(Loaded(Declared("'windows-1252'", "<a d=\"" + euros + "\"/>")).size(), 3 + 15000u);
}

TEST(XmlDocument, FaultsAreLocatedAndWhatXmlAllowsLoads) {
  const std::pair<std::string, std::string> rows[] = {
      {"<a>\r\n  <b>\r\n  <c></b>\r\n</a>", "@3 [  <c></b>] Start-end tags mismatch"},
      {"<a/>\n<b/>", "@2 [<b/>] Only one root element"},
      {"<a/>\ntext", "@2 [text] Text is not allowed outside"},
      {"x<a/>", "@1 [x<a/>] Text is not allowed outside"},
      {"<a/>&amp;", "@1 [<a/>&amp;] Text is not allowed outside"},
      {"<a\n x='1' x='2'/>", "@2 [ x='1' x='2'/>] An attribute may appear only once"},
      {"<a x='<'/>", "@1 [<a x='<'/>] The character '<' is not allowed"},
      {"<a x='&'/>", "@1 [<a x='&'/>] An ampersand must begin a reference"},
      {"<a>&nbsp;</a>", "@1 [<a>&nbsp;</a>] Reference to an undeclared entity"},
      {"<!DOCTYPE a [<!ENTITY e ']>'>]><a>&f;</a>", "@1 [<!DOCTYPE a [<!ENTITY e ']>'>]><a>&f;</a>] Reference to an undeclared"},
      {"<!DOCTYPE a[<!ENTITY e 'x'>]><a d='&e;'/>", "ok &e;"},  // no blank before the subset
      // The document type declaration is read to its end: what it cannot hold refuses the document.
      {"<!DOCTYPE a [ ] x><a x='1' x='2'/>", "@1 [<!DOCTYPE a [ ] x><a x='1' x='2'/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [ ]]><a>&#0;</a>", "@1 [<!DOCTYPE a [ ]]><a>&#0;</a>] Error parsing document type"},
      {"<!DOCTYPE[<!ENTITY e 'x'>]><a/>", "@1 [<!DOCTYPE[<!ENTITY e 'x'>]><a/>] Error parsing document type"},
      {"<!DOCTYPE a [ x ]><a/>", "@1 [<!DOCTYPE a [ x ]><a/>] Error parsing document type"},
      {"<!DOCTYPE a [<!-- a -- b -->]><a/>", "@1 [<!DOCTYPE a [<!-- a -- b -->]><a/>] The text '--' is not allowed inside a comment"},
      {"<!DOCTYPE a [<!ELEMENT a (b|c,d)>]><a/>", "@1 [<!DOCTYPE a [<!ELEMENT a (b|c,d)>]><a/>] Error parsing document type"},
      {"<!DOCTYPE a [<!ATTLIST a b CDATA>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b CDATA>]><a/>] Error parsing document type"},
      {"<!DOCTYPE a [<!ENTITY e '%p;'>]><a/>", "@1 [<!DOCTYPE a [<!ENTITY e '%p;'>]><a/>] A parameter entity reference is not allowed"},
      {"<!DOCTYPE a [%p;]><a/>", "@1 [<!DOCTYPE a [%p;]><a/>] Reference to an undeclared entity"},
      {"<!DOCTYPE a PUBLIC '{' 'a.dtd'><a/>", "@1 [<!DOCTYPE a PUBLIC '{' 'a.dtd'><a/>] A public identifier holds"},
      {"<!DOCTYPE a [<?pi x?>]><a/>", "ok "},
      {"<!DOCTYPE a [<!ELEMENT a (#PCDATA|b)*><!ELEMENT b (c,(d|e)+)?><!ATTLIST a d CDATA #IMPLIED e (x|y) 'x' "
       "f NOTATION (n) #FIXED 'n'><!NOTATION n PUBLIC 'p'><!ENTITY % p 'x'>%p;<!ENTITY u SYSTEM 'u' NDATA n>]><a d='1'/>",
       "ok 1"},
      {"<!DOCTYPE a [<!ELEMENT a EMPTY><!ELEMENT b ANY><!ELEMENT c (#PCDATA)*><!ELEMENT d (#PCDATA)><!ATTLIST a x ID #REQUIRED z (p|q) #FIXED 'p'>]><a d='1'/>", "ok 1"},
      {"<!DOCTYPE a [<!ELEMENT a (#PCDATA|b)>]><a/>", "@1 [<!DOCTYPE a [<!ELEMENT a (#PCDATA|b)>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ELEMENT a (b|)>]><a/>", "@1 [<!DOCTYPE a [<!ELEMENT a (b|)>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ELEMENT a (b c)>]><a/>", "@1 [<!DOCTYPE a [<!ELEMENT a (b c)>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ELEMENT a b>]><a/>", "@1 [<!DOCTYPE a [<!ELEMENT a b>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b CDATA #IMPLIEDc CDATA #IMPLIED>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b CDATA #IMPLIEDc CDATA #IMPLIED>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b (x|) #IMPLIED>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b (x|) #IMPLIED>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b (x y) #IMPLIED>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b (x y) #IMPLIED>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b NOTATION(n) #IMPLIED>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b NOTATION(n) #IMPLIED>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b CDATA #FIXED'x'>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b CDATA #FIXED'x'>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b CDATA x>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b CDATA x>]><a/>] Error parsing element attribute"},
      {"<!DOCTYPE a [<!ATTLIST a b CDATA'x'>]><a/>", "@1 [<!DOCTYPE a [<!ATTLIST a b CDATA'x'>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ATTLIST a b CDATA #IMPLIED >]><a/>", "ok "},
      {"<!DOCTYPE a [<!ENTITY % p SYSTEM 'p.dtd'>%p;<!ENTITY e SYSTEM 'u' ><!ENTITY f 'a&#60;&lt;'>]><a d='&e;&f;'/>", "ok &e;&f;"},
      {"<!DOCTYPE a [<!ENTITY %p 'x'>]><a/>", "@1 [<!DOCTYPE a [<!ENTITY %p 'x'>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ENTITY e SYSTEM 'u' NDATAn>]><a/>", "@1 [<!DOCTYPE a [<!ENTITY e SYSTEM 'u' NDATAn>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ENTITY e 'x' y>]><a/>", "@1 [<!DOCTYPE a [<!ENTITY e 'x' y>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ENTITY e 'x>]><a/>", "@1 [<!DOCTYPE a [<!ENTITY e 'x>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!ENTITY e 'x&y'>]><a/>", "@1 [<!DOCTYPE a [<!ENTITY e 'x&y'>]><a/>] An ampersand must begin a reference (write &amp; for the character itself)."},
      {"<!DOCTYPE a [<!NOTATION n PUBLIC 'p' 's'>]><a/>", "ok "},
      {"<!DOCTYPE a [<!NOTATION n PUBLIC 'p'x>]><a/>", "@1 [<!DOCTYPE a [<!NOTATION n PUBLIC 'p'x>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [<!NOTATION n SYSTEM>]><a/>", "@1 [<!DOCTYPE a [<!NOTATION n SYSTEM>]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a SYSTEM'a.dtd'><a/>", "@1 [<!DOCTYPE a SYSTEM'a.dtd'><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a PUBLIC 'p''s'><a/>", "@1 [<!DOCTYPE a PUBLIC 'p''s'><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a SYSTEM 'a.dtd><a/>", "@1 [<!DOCTYPE a SYSTEM 'a.dtd><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a SYSTEM x><a/>", "@1 [<!DOCTYPE a SYSTEM x><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a FOO><a/>", "@1 [<!DOCTYPE a FOO><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [", "@1 [<!DOCTYPE a [] Error parsing document type declaration"},
      {"<!DOCTYPE a [%p]><a/>", "@1 [<!DOCTYPE a [%p]><a/>] Error parsing document type declaration"},
      {"<!DOCTYPE a [%p;<!ENTITY % p 'x'>]><a/>", "@1 [<!DOCTYPE a [%p;<!ENTITY % p 'x'>]><a/>] Reference to an undeclared entity."},
      {"<!DOCTYPE a PUBLIC 'p' 's'><a/>", "ok "},
      {"<?pi x<a/>", "@1 [<?pi x<a/>] Error parsing document declaration/processing instruction"},
      {"<?pi?><a/>", "ok "},
      {"<a>&#x1g;</a>", "@1 [<a>&#x1g;</a>] A character reference is not terminated by a semicolon."},
      {"<a>&#;</a>", "@1 [<a>&#;</a>] A character reference is not terminated by a semicolon."},
      {"<a d='&#xAF;&#65;'/>", "ok \u00afA"},
      {"<a>&#65", "@1 [<a>&#65] A character reference is not terminated by a semicolon."},
      {"<a>x&</a>", "@1 [<a>x&</a>] An ampersand must begin a reference (write &amp; for the character itself)."},
      {"<![CDATA[x]]><a/>", "@1 [<![CDATA[x]]><a/>] A CDATA section is not allowed outside the root element."},
      {"<a><!x></a>", "@1 [<a><!x></a>] Unknown markup declaration."},
      {"<?xml version='1.0' standalone='maybe'?><a/>", "@1 [<?xml version='1.0' standalone='maybe'?><a/>] The standalone value of the XML declaration must be yes or no."},
      {"<?xml version='1.0' standalone='yes' encoding='UTF-8'?><a/>", "@1 [<?xml version='1.0' standalone='yes' encoding='UTF-8'?><a/>] The XML declaration is malformed."},
      {"<?xml version='1.0'encoding='UTF-8'?><a/>", "@1 [<?xml version='1.0'encoding='UTF-8'?><a/>] The XML declaration is malformed."},
      {"<?xml ?><a/>", "@1 [<?xml ?><a/>] The XML declaration must begin with a version."},
      {"<?xml version='1.'?><a/>", "@1 [<?xml version='1.'?><a/>] The XML declaration names a version other than 1.x."},
      {"<?xml version='1.0' encoding='8bit'?><a/>", "@1 [<?xml version='1.0' encoding='8bit'?><a/>] The XML declaration names an encoding that is not a valid name."},
      {"<?xml version='1.0' encoding='UTF-8' standalone='no'?><a/>", "ok "},
      {"<?xml version='1.0'", "@1 [<?xml version='1.0'] The XML declaration is not closed."},
      {"<a b= 'x' d = '2'/>", "ok 2"},
      {"<a b 'x'/>", "@1 [<a b 'x'/>] Error parsing element attribute"},
      {"<a/></a>", "@1 [<a/></a>] Start-end tags mismatch"},
      {"<a\u037e/>", "@1 [<a\u037e/>] A name holds a character that XML does not allow in names."},
      {"<\u2070a d='1'/>", "ok 1"},
      {"<a\u00b7\u203f\u0300 d='1'/>", "ok 1"},
      {"<\uf900\ufdf0\ufffd\u3001 d='1'/>", "ok 1"},
      {"<!DOCTYPE a [<!ELEMENT a " + std::string(2049, '(') + "b>]><a/>", "@1 [..." + std::string(192, '(') + "b>]><a/>] A content model nests too deeply."},
      {"<?xml version='1.x'?><a/>", "@1 [<?xml version='1.x'?><a/>] The XML declaration names a version other than 1.x."},
      // Names hold only the characters XML allows in names.
      {"<a\u00A0b='1'/>", "@1 [<a\u00A0b='1'/>] A name holds a character that XML does not allow"},
      {"<a\u00D7/>", "@1 [<a\u00D7/>] A name holds a character"},
      {"<\u0300a/>", "@1 [<\u0300a/>] A name holds a character"},
      {"<a b\u2000='1'/>", "@1 [<a b\u2000='1'/>] A name holds a character"},
      {"<\u00E9\u0300\u00B7-\U00010000 d='1'/>", "ok 1"},
      // Structure the parser used to judge alone.
      {"<a><b></a>", "@1 [<a><b></a>] Start-end tags mismatch"},
      {"<a>\n<b>", "@2 [<b>] Start-end tags mismatch"},
      {"<a x=1/>", "@1 [<a x=1/>] Error parsing element attribute"},
      {"<a x='1'y='2'/>", "@1 [<a x='1'y='2'/>] Error parsing start element tag"},
      {"<a></a >x", "@1 [<a></a >x] Text is not allowed outside"},
      {"<a><!-- x</a>", "@1 [<a><!-- x</a>] Error parsing comment"},
      {"<a><![CDATA[x</a>", "@1 [<a><![CDATA[x</a>] Error parsing CDATA section"},
      {"<?pi!?><a/>", "@1 [<?pi!?><a/>] Error parsing document declaration/processing instruction"},
      {"<?pi x?><a/>", "ok "},
      {"<a>&lt x</a>", "@1 [<a>&lt x</a>] An ampersand must begin a reference"},
      {"<!DOCTYPE a SYSTEM 'a.dtd' [<!ENTITY e 'x'>]><a>&f;</a>", "@1 [<!DOCTYPE a SYSTEM 'a.dtd' [<!ENTITY e 'x'>]><a>&f;</a>] Reference to an undeclared"},
      {"<a>x]]>y</a>", "@1 [<a>x]]>y</a>] The text ']]>' is not allowed"},
      {"<a><!-- a -- b --></a>", "@1 [<a><!-- a -- b --></a>] The text '--' is not allowed inside a comment"},
      {"<a><!-- a ---></a>", "@1 [<a><!-- a ---></a>] The text '--' is not allowed inside a comment"},
      {" <?xml version='1.0'?><a/>", "@1 [ <?xml version='1.0'?><a/>] The XML declaration is allowed only at the very beginning"},
      {"<!-- c --><?xml version='1.0'?><a/>", "@1 [<!-- c --><?xml version='1.0'?><a/>] The XML declaration is allowed only"},
      {"<?xml version='2.0'?><a/>", "@1 [<?xml version='2.0'?><a/>] The XML declaration names a version other than 1.x"},
      {"<?xml version=1.0?><a/>", "@1 [<?xml version=1.0?><a/>] The XML declaration is malformed"},
      {"<?xml version?'1.0'?><a/>", "@1 [<?xml version?'1.0'?><a/>] The XML declaration is malformed"},
      {"<?xml encoding='UTF-8'?><a/>", "@1 [<?xml encoding='UTF-8'?><a/>] The XML declaration must begin with a version"},
      {"<?xml version='1.0' xencoding='latin1'?><a/>", "@1 [<?xml version='1.0' xencoding='latin1'?><a/>] The XML declaration is malformed"},
      {"<!DOCTYPE a><!DOCTYPE a><a/>", "@1 [<!DOCTYPE a><!DOCTYPE a><a/>] Only one document type declaration"},
      {"<a/><!DOCTYPE a>", "@1 [<a/><!DOCTYPE a>] The document type declaration must come before"},
      {"<a>&#xD800;</a>", "@1 [<a>&#xD800;</a>] A character reference names a character that XML does not allow"},
      {"<a>&#x110000;</a>", "@1 [<a>&#x110000;</a>] A character reference names"},
      {"<a>&#xFFFE;</a>", "@1 [<a>&#xFFFE;</a>] A character reference names"},
      {"<a x='&#0;'/>", "@1 [<a x='&#0;'/>] A character reference names"},
      {"<a>\r\r\r&#1;</a>", "@4 [&#1;</a>] A character reference names"},
      {"<a>\r\n\n\r&#27;</a>", "@4 [&#27;</a>] A character reference names"},
      {"<a>\n</b><!-- -- --></a>", "@2 [</b><!-- -- --></a>] Start-end tags mismatch"},  // the first fault is reported
      // Characters XML does not allow, shown with U+FFFD in place of their bytes.
      {"<r>\n\t<a>\xEF\xBF\xBE</a>\r\n</r>", "@2 [\t<a>\xEF\xBF\xBD</a>] An invalid character"},
      {"<r>\n\t<a>\xEF\xBF\xBF</a>\r\n</r>", "@2 [\t<a>\xEF\xBF\xBD</a>] An invalid character"},
      {"<r>\n\t<a>\x1B</a>\r\n</r>", "@2 [\t<a>\xEF\xBF\xBD</a>] An invalid character"},
      {"<r>\n\t<a>\xED\xA0\x80</a>\r\n</r>", "@2 [\t<a>\xEF\xBF\xBD"},
      // One long line: the source shows 200 bytes around the fault, marked where cut.
      {"<a>" + std::string(5000, 'x') + "&bad;" + std::string(5000, 'y') + "</a>",
       "@1 [..." + std::string(100, 'x') + "&bad;" + std::string(95, 'y') + "...] "},
      {"<a>" + std::string(5000, 'x') + "&bad;</a>", "@1 [..." + std::string(191, 'x') + "&bad;</a>] "},
      // What XML allows.
      {"<?xml version='1.1' encoding='UTF-8' standalone='yes' ?><a/>", "ok "},
      {"<!DOCTYPE a [<!ENTITY e 'x'>]><a d='&e;'/>", "ok &e;"},
      {"<?xml-stylesheet href='s'?><a/><!-- after --><?pi after?>\n", "ok "},
      {"<a d='&#x9;&#xA0;&#xa0;&#x10FFFF;'><![CDATA[]]]]></a>", "ok \t\u00A0\u00A0\U0010FFFF"},
      {"<a><!----></a>", "ok "},
      {"\xEF\xBB\xBF<a d='&lt;&gt;&amp;&apos;&quot;'/>", "ok <>&'\""},
      {"<a d='\t\r\n\x7F\u00A0\U0010FFFD'/>", "ok   \x7F\u00A0\U0010FFFD"},
  };
  for (const auto& [text, expected] : rows) {
    const std::string got = Loaded(text);
    EXPECT_EQ(expected.rfind("ok ", 0) == 0 ? got : got.substr(0, expected.size()), expected) << text.substr(0, 80);
  }
  xml::ParseError error;
  error.reason = "Fault.\r\n", error.line = 3, error.srcText = "  <c></b>";
  EXPECT_EQ(xml::ParseErrorFrame("Lead", error), "Lead\r\nFault.\r\nLine   : 3\r\nSource :   <c></b>");
}

TEST(XmlDocument, FilesThatCannotBeReadAndSavedDeclarations) {
  TempDir dir;
  pugi::xml_document doc;
  xml::ParseError error;
  EXPECT_FALSE(xml::LoadFile(doc, "/no/such/file.xml", error));
  EXPECT_EQ(error.line, 0);
  EXPECT_FALSE(xml::LoadFile(doc, dir.path(), error));  // a folder
  EXPECT_EQ(error.reason, "The system cannot locate the object specified.\r\n");
  // A file that reports no size but has content, as files under /proc do.
  EXPECT_FALSE(xml::LoadFile(doc, "/proc/self/status", error));
  EXPECT_EQ(error.reason, "Text is not allowed outside the root element.\r\n");  // it was read
  // One that opens but fails to be read (no page at address 0): not loaded, whoever runs the test.
  EXPECT_FALSE(xml::LoadFile(doc, "/proc/self/mem", error));
  EXPECT_EQ(error.reason, "Access is denied.\r\n");
  // Whatever declaration a file brings, or none, the saved file declares UTF-8.
  for (const char* text : {"<?xml version='1.1'?><a/>", "<?xml version='1.0' encoding='latin1' standalone='no'?><a/>", "<a/>"}) {
    ASSERT_TRUE(xml::LoadText(doc, text, error)) << text;
    xml::SaveFile(doc, dir.path() + "/saved.xml");
    EXPECT_NE(ReadFile(dir.path() + "/saved.xml").find("encoding=\"UTF-8\""), std::string::npos) << text;
  }
  // A name without a folder: the temporary file goes to the working folder.
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  xml::SaveFile(doc, "relative.xml");
  std::filesystem::current_path(previous);
  EXPECT_EQ(ReadFile(dir.path() + "/relative.xml"), ReadFile(dir.path() + "/saved.xml"));

  doc = Load("<Config>Angle_90<Default-Configuration><Leg>a</Leg><!-- c --><Leg><![CDATA[b]]></Leg></Default-Configuration></Config>");
  EXPECT_EQ(xml::Text(doc.child("Config")), "Angle_90ab");  // the text of all descendants
  xml::SetText(doc.child("Config"), "new");
  EXPECT_EQ(xml::OuterXml(doc.child("Config")), "<Config>new</Config>");
}

// A copy the parser's allocator left short anywhere is taken out again and is out of memory.
TEST(XmlDocument, ACopyShortOfAnythingIsTakenOutAsOutOfMemory) {
  for (int cut = 0; cut < 9; ++cut) {
    pugi::xml_document doc = Load("<r><a x='1' y='2'><b>t</b><c/></a></r>");
    pugi::xml_node original = doc.first_child().first_child(), copy = doc.first_child().append_copy(original);
    pugi::xml_node b = copy.first_child();
    if (cut == 1) copy.remove_attribute("y");
    if (cut == 2) copy.attribute("x").set_value("");
    if (cut == 3) copy.attribute("y").set_name("");
    if (cut == 4) copy.remove_child(copy.last_child());
    if (cut == 5) b.set_name("");
    if (cut == 6) b.first_child().set_value("");
    if (cut == 7) b.remove_child(b.first_child());
    if (cut == 8) b.prepend_child(pugi::node_cdata).set_value("t") && b.remove_child(b.last_child());  // text as CDATA
    if (cut == 0) EXPECT_EQ(xml::WholeCopy(copy, original), copy);
    else EXPECT_THROW(xml::WholeCopy(copy, original), std::bad_alloc) << cut;
    EXPECT_EQ(std::distance(doc.first_child().begin(), doc.first_child().end()), cut == 0 ? 2 : 1) << cut;
  }
}

}  // namespace
}  // namespace pipedex::testing
