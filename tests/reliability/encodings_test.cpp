// Every way a catalogue file may be encoded ends as the same UTF-8 document,
// or as a parse error that points at the offending line.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "base/xml_document.h"
#include "pipedex/pipedex.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kDocument = "<a d=\"\u00E4\u20AC\U0001F600\">x</a>";

// The document's characters in a fixed-width Unicode form, with or without a byte order mark.
std::string Encode(const std::u32string& text, int width, bool bigEndian, bool bom) {
  std::string out;
  auto put = [&](char32_t unit) {
    for (int i = 0; i < width; ++i) {
      int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
      out.push_back(static_cast<char>((unit >> shift) & 0xFF));
    }
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

std::string Attribute(const std::string& bytes) {
  pugi::xml_document doc;
  xml::ParseError error;
  if (!xml::LoadText(doc, bytes, error)) return "error: " + error.reason;
  return doc.child("a").attribute("d").value();
}

TEST(Encodings, Utf16AndUtf32WithAndWithoutByteOrderMarks) {
  const std::u32string declared = U"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a d=\"\u00E4\u20AC\U0001F600\">x</a>";
  const std::u32string bare = U"<a d=\"\u00E4\u20AC\U0001F600\">x</a>";
  const std::string expected = "\u00E4\u20AC\U0001F600";
  for (int width : {2, 4}) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(std::to_string(width * 8) + (bigEndian ? " BE" : " LE"));
      EXPECT_EQ(Attribute(Encode(bare, width, bigEndian, true)), expected);
      EXPECT_EQ(Attribute(Encode(width == 2 ? declared : bare, width, bigEndian, false)), expected);
    }
  }
  EXPECT_EQ(Attribute("\xEF\xBB\xBF" + kDocument), expected);
  // An odd byte at the end of UTF-16 text, and a lone surrogate, are not text.
  EXPECT_EQ(Attribute(Encode(bare, 2, false, true) + "<"), "error: An invalid character was found in text content.\r\n");
  EXPECT_EQ(Attribute(Encode(U"<a d=\"", 2, false, true) + std::string("\x00\xD8", 2) +
                      Encode(U"\"/>", 2, false, false)),
            "error: An invalid character was found in text content.\r\n");
}

TEST(Encodings, DeclaredEightBitEncodings) {
  auto declared = [](const std::string& name, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=" + name + "?>\n" + body;
  };
  // Long runs of characters that take three bytes in UTF-8 outgrow any first guess of the size.
  std::string euros(5000, '\x80');
  EXPECT_EQ(Attribute(declared("'windows-1252'", "<a d=\"" + euros + "\"/>")).size(), 15000u);
  EXPECT_EQ(Attribute(declared("\"ISO-8859-15\"", "<a d=\"\xA4\"/>")), "\u20AC");
  // windows-1252 where it differs from Latin-1.
  EXPECT_EQ(Attribute(declared("'windows-1252'", "<a d=\"\x80\x82\x8A\x91\x92\x93\x94\x96\x97\x99\x9F\xE4\"/>")),
            "€‚Š‘’“”–—™Ÿä");
  // Names that mean UTF-8, and 16-bit names on 8-bit text: read as UTF-8.
  for (const char* name : {"\"utf8\"", "\"US-ASCII\"", "\"UTF-16\"", "'utf-32'", "\"UCS-2\""})
    EXPECT_EQ(Attribute(declared(name, kDocument)), "\u00E4\u20AC\U0001F600") << name;
  // Declarations that are cut short are parse errors.
  EXPECT_EQ(Attribute("<?xml version=\"1.0\" encoding=\"UTF-8" + kDocument),
            "error: The XML declaration is not closed.\r\n");
  EXPECT_EQ(Attribute("<?xml version=\"1.0\" encoding ?>" + kDocument), "error: The XML declaration is malformed.\r\n");

  pugi::xml_document doc;
  xml::ParseError error;
  ASSERT_FALSE(xml::LoadText(doc, declared("\"x-no-such-set\"", "\n<a/>"), error));
  EXPECT_EQ(error.reason, "The encoding 'x-no-such-set' is not supported or the text is not in it.\r\n");
  EXPECT_EQ(error.line, 1);
  ASSERT_FALSE(xml::LoadText(doc, declared("\"windows-1252\"", "<a>\n\x8D</a>"), error));
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.srcText, "");  // nothing of the line could be read
}

TEST(Encodings, CharactersXmlDoesNotAllow) {
  pugi::xml_document doc;
  xml::ParseError error;
  for (const std::string bad : {"<a>\xEF\xBF\xBE</a>", "<a>\xEF\xBF\xBF</a>", "<a>\x1B</a>", "<a>\xED\xA0\x80</a>"}) {
    ASSERT_FALSE(xml::LoadText(doc, "<r>\n\t" + bad + "\r\n</r>", error)) << bad;
    EXPECT_EQ(error.line, 2);
    EXPECT_EQ(error.srcText.substr(0, 4), "\t<a>");  // shown with U+FFFD in place of the bytes
    EXPECT_NE(error.srcText.find("\xEF\xBF\xBD</a>"), std::string::npos);
  }
  EXPECT_TRUE(xml::LoadText(doc, "<a>\t\r\n\x7F\u00A0\U0010FFFD</a>", error));
}

TEST(Encodings, FilesThatAreNotReadable) {
  TempDir dir;
  pugi::xml_document doc;
  xml::ParseError error;
  EXPECT_FALSE(xml::LoadFile(doc, dir.path(), error));  // a folder
  EXPECT_EQ(error.reason, "The system cannot locate the object specified.\r\n");
  // A file that reports no size but has content, as files under /proc do.
  EXPECT_FALSE(xml::LoadFile(doc, "/proc/self/status", error));
  EXPECT_EQ(error.reason, "Text is not allowed outside the root element.\r\n");  // it was read
}

TEST(Encodings, SavesBesideTheWorkingFolder) {
  Fixture f(Catalogue("<A_SKEY><SKEY>\u20AC</SKEY></A_SKEY>"));
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(f.dir.path());
  f.pipedex.DumpXML("relative.xml");  // a name without a folder: the temporary file goes to the working folder
  std::filesystem::current_path(previous);
  EXPECT_NE(ReadFile(f.dir.path() + "/relative.xml").find("<SKEY>\u20AC</SKEY>"), std::string::npos);
}

}  // namespace
}  // namespace pipedex::testing
