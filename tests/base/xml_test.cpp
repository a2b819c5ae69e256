// The XML document service and the XPath texts built from caller values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <utf8proc.h>

#include "base/errors.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(XmlUtils, NumberValueReadsAsXPathNumberDoes) {
  for (auto [t, v] : {std::pair{" 2.0 ", 2.0}, {"-.5", -0.5}, {"\t65\n", 65.0}, {"7.", 7.0}})
    EXPECT_EQ(xml::NumberValue(t), v) << t;
  for (const char* t : {"+2", "2e1", "", ".", "1.2.3", "- 1", "0x10", "2,5"}) EXPECT_TRUE(std::isnan(xml::NumberValue(t))) << t;
}

TEST(XmlUtils, GetAttributeTextFallsBackOnlyWhenAbsent) {
  auto doc = Load("<SKEY Description=\"\" Category=\"ERECTION\">BW</SKEY>");
  pugi::xml_node skey = doc.child("SKEY");
  EXPECT_EQ(xml::GetAttributeText(skey, "Description", "d"), "");
  EXPECT_EQ(xml::GetAttributeText(skey, "Category", "d"), "ERECTION");
  EXPECT_EQ(xml::GetAttributeText(skey, "category", "d"), "d");
  EXPECT_EQ(xml::GetAttributeText(pugi::xml_node(), "Category", "d"), "d");
  EXPECT_EQ(xml::GetAttributeText(skey.first_child(), "Category", "d"), "d");  // a text node has no attributes
}

TEST(XmlUtils, NoCaseEqualsAndNodePathTexts) {
  EXPECT_EQ(xml::NoCaseEquals(".", " Branch"),
            "normalize-space ( translate (.,'abcdefghijklmnopqrstuvwxyz','ABCDEFGHIJKLMNOPQRSTUVWXYZ') ) = 'BRANCH'");
  auto doc = Load("<ZENROD-ISOMETRICS-DATA><A_SKEY><SKEY>AB</SKEY><SKEY>BW</SKEY><SKEY/></A_SKEY></ZENROD-ISOMETRICS-DATA>");
  pugi::xml_node root = doc.document_element();
  auto skeys = xml::ChildElements(root.child("A_SKEY"));
  EXPECT_EQ(xml::NodePath(skeys[1], true), "//ZENROD-ISOMETRICS-DATA/A_SKEY/SKEY[contains(., 'BW')]");
  EXPECT_EQ(xml::NodePath(skeys[1], false), "//ZENROD-ISOMETRICS-DATA/A_SKEY/SKEY");
  EXPECT_EQ(xml::NodePath(skeys[2], true), "//ZENROD-ISOMETRICS-DATA/A_SKEY/SKEY");
  EXPECT_EQ(xml::NodePath(root, false), "//ZENROD-ISOMETRICS-DATA");
  EXPECT_THROW(xml::NodePath(pugi::xml_node(), true), Error);
}

TEST(XmlUtils, NoCaseEqualsMatchesByTheAsymmetricRule) {
  auto doc = Load("<r><Operation>Tap</Operation><Operation> tap </Operation><Operation>Tap more</Operation>"
                  "<Operation>a  b</Operation></r>");
  pugi::xml_node r = doc.child("r");
  EXPECT_EQ(xml::SelectNodes(r, "Operation[" + xml::NoCaseEquals(".", "tAP ") + "]").size(), 2u);
  EXPECT_EQ(xml::SelectNodes(r, "Operation[" + xml::NoCaseEquals(".", "a b") + "]").size(), 1u);
  EXPECT_EQ(xml::SelectNodes(r, "Operation[" + xml::NoCaseEquals(".", "a  b") + "]").size(), 0u);
}

// The characters XML allows in names, range by range: the first and last of
// each are accepted, the ones just outside refused unless a neighbour takes them.
TEST(XmlUtils, ElementNamesAcceptExactlyTheXmlNameCharacters) {
  const std::pair<char32_t, char32_t> start[] = {{':', ':'}, {'_', '_'}, {'A', 'Z'}, {'a', 'z'}, {0xC0, 0xD6}, {0xD8, 0xF6},
      {0xF8, 0x2FF}, {0x370, 0x37D}, {0x37F, 0x1FFF}, {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},
      {0x3001, 0xD7FF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};
  const std::pair<char32_t, char32_t> more[] = {{'-', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};
  auto utf8 = [](char32_t c) {
    utf8proc_uint8_t bytes[4];
    return std::string(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(utf8proc_encode_char(static_cast<utf8proc_int32_t>(c), bytes)));
  };
  auto in = [](char32_t c, const auto& ranges) {
    return std::any_of(std::begin(ranges), std::end(ranges), [c](auto r) { return r.first <= c && c <= r.second; });
  };
  auto accepted = [](const std::string& name) { return ErrorOf([&] { xml::ElementName(name); }).number() == 0; };
  for (const auto& ranges : {std::vector(std::begin(start), std::end(start)), std::vector(std::begin(more), std::end(more))})
    for (auto [first, last] : ranges)
      for (char32_t c : {char32_t(first - 1), first, last, char32_t(last + 1)}) {
        if (c == '*' || c == 0xD800) continue;  // "*" names any element; no surrogate is encoded
        EXPECT_EQ(accepted(utf8(c)), in(c, start)) << std::hex << "U+" << static_cast<unsigned>(c) << " first";
        EXPECT_EQ(accepted(std::string("x").append(utf8(c))), in(c, start) || in(c, more)) << std::hex << "U+" << static_cast<unsigned>(c);
      }
}

TEST(XmlUtils, CallerValuesCannotChangeAnExpression) {
  auto doc = Load("<r><ENDPREP Name=\"BW\"/><ENDPREP Name=\"SW\"/></r>");
  pugi::xml_node r = doc.child("r");
  for (const char* hostile : {"x' or '1'='1", "BW']|//*['"}) {
    EXPECT_THROW(xml::SelectNodes(r, "ENDPREP[@Name='" + xml::Quoted(hostile) + "']"), Error) << hostile;
    EXPECT_THROW(xml::NoCaseEquals(".", hostile), Error) << hostile;
  }
  EXPECT_EQ(xml::SelectNodes(r, "ENDPREP[@Name=\"" + xml::Quoted("x' or '1'='1", '"') + "\"]").size(), 0u);
  for (const char* name : {"", "a b", "*|//x", "1abc", "a/b", "x[1]", "x\xFF"}) EXPECT_THROW(xml::ElementName(name), Error) << name;
  EXPECT_EQ(xml::ElementName("*"), "*");
  EXPECT_EQ(xml::ElementName("Rohr-Gruppe_1.ä"), "Rohr-Gruppe_1.ä");
  EXPECT_THROW(xml::SelectNodes(r, "ENDPREP[@Name="), Error);  // invalid expressions raise
  EXPECT_THROW(xml::SelectNodes(pugi::xml_node(), "ENDPREP"), Error);  // no context node
}

}  // namespace
}  // namespace pipedex::testing
