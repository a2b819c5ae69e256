// The XML document service and the XPath texts built from caller values.

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(XmlDocument, ParseErrorsGiveReasonLineAndSourceText) {
  pugi::xml_document doc;
  xml::ParseError error;
  ASSERT_FALSE(xml::LoadText(doc, "<a>\r\n  <b>\r\n  <c></b>\r\n</a>", error));
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.srcText, "  <c></b>");
  EXPECT_EQ(error.reason.substr(error.reason.size() - 2), "\r\n");
  EXPECT_EQ(xml::ParseErrorFrame("Lead", error), "Lead\r\n" + error.reason + "Line   : 3\r\nSource :   <c></b>");
  ASSERT_FALSE(xml::LoadFile(doc, "/no/such/file.xml", error));
  EXPECT_EQ(error.line, 0);
}

TEST(XmlUtils, NumberValueReadsAsXPathNumberDoes) {
  for (auto [t, v] : {std::pair{" 2.0 ", 2.0}, {"-.5", -0.5}, {"\t65\n", 65.0}, {"7.", 7.0}})
    EXPECT_EQ(xml::NumberValue(t), v) << t;
  for (const char* t : {"+2", "2e1", "", ".", "1.2.3", "- 1", "0x10", "2,5"}) EXPECT_TRUE(std::isnan(xml::NumberValue(t))) << t;
}

TEST(XmlDocument, TextConcatenatesAllDescendants) {
  auto doc = Load("<Config>Angle_90<Default-Configuration><Leg>a</Leg><!-- c --><Leg><![CDATA[b]]></Leg></Default-Configuration></Config>");
  EXPECT_EQ(xml::Text(doc.child("Config")), "Angle_90ab");
  xml::SetText(doc.child("Config"), "new");
  EXPECT_EQ(xml::OuterXml(doc.child("Config")), "<Config>new</Config>");
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

TEST(XmlUtils, CallerValuesCannotChangeAnExpression) {
  auto doc = Load("<r><ENDPREP Name=\"BW\"/><ENDPREP Name=\"SW\"/></r>");
  pugi::xml_node r = doc.child("r");
  for (const char* hostile : {"x' or '1'='1", "BW']|//*['"}) {
    EXPECT_THROW(xml::SelectNodes(r, "ENDPREP[@Name='" + xml::Quoted(hostile) + "']"), Error) << hostile;
    EXPECT_THROW(xml::NoCaseEquals(".", hostile), Error) << hostile;
  }
  EXPECT_EQ(xml::SelectNodes(r, "ENDPREP[@Name=\"" + xml::Quoted("x' or '1'='1", '"') + "\"]").size(), 0u);
  for (const char* name : {"", "a b", "*|//x", "1abc", "a/b", "x[1]"}) EXPECT_THROW(xml::ElementName(name), Error) << name;
  EXPECT_EQ(xml::ElementName("*"), "*");
  EXPECT_EQ(xml::ElementName("Rohr-Gruppe_1.ä"), "Rohr-Gruppe_1.ä");
  EXPECT_THROW(xml::SelectNodes(r, "ENDPREP[@Name="), Error);  // invalid expressions raise
  EXPECT_THROW(xml::SelectNodes(pugi::xml_node(), "ENDPREP"), Error);  // no context node
}

}  // namespace
}  // namespace pipedex::testing
