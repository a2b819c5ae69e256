#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex {
namespace {

using testing::Catalogue;
using testing::Fixture;

Fixture Map(const std::string& atts) { return Fixture(Catalogue("<PLOTRA-ATTRIBUTES>" + atts + "</PLOTRA-ATTRIBUTES>")); }

const char* kAttributes = R"(
  <ATT PCF="UNIQUE-ID"/>
  <ATT PCF="COMPONENT-IDENTIFIER" IDF="12;13"/>
  <ATT PCF="SPOOL" IDF="30" EXPORTUSING="displayname "/>
  <ATT PCF="NO-RECORD"/>
  <ATT PCFBASE="ATTRIBUTE" NUMBER="10" BASE="1" IDF="500"/>
  <ATT PCFBASE="PIPELINE" NUMBER="10" BASE="0" IDF="600;5;300"/>
  <ATT PCFBASE="SPLIT" NUMBER="8" BASE="0" IDF="100;2;50;3;10"/>
  <ATT PCFBASE="UNSIZED" IDF="700"/>
  <PODFILE-SUPPRESS-LIST><ATT SUPPRESS="STATUS"/><ATT SUPPRESS="spool"/></PODFILE-SUPPRESS-LIST>)";

TEST(AttributeMap, ChecksNamesAndFamilyMembers) {
  Fixture f = Map(kAttributes);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.PCFAttributeCheck("component-identifier"), attIsValid);
  EXPECT_EQ(p.PCFAttributeCheck("SPOOL"), attDisplayNameIsValid);  // mapped first, so not suppressed
  EXPECT_EQ(p.PCFAttributeCheck("STATUS"), attIsSuppressed);
  EXPECT_EQ(p.PCFAttributeCheck("ATTRIBUTE10"), attIsValid);
  EXPECT_EQ(p.PCFAttributeCheck("ATTRIBUTE11"), attIsNotRecognised);
  EXPECT_EQ(p.PCFAttributeCheck("UNSIZED"), attIsSuppressed);  // no NUMBER: Number -1
  EXPECT_EQ(p.PCFAttributeCheck("UNSIZED1"), attIsNotRecognised);
  EXPECT_EQ(p.PCFAttributeCheck(" SPOOL"), attIsNotRecognised);
}

TEST(AttributeMap, RecordsToNamesAndBack) {
  Fixture f = Map(kAttributes);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GetPCFAttribute(-1), "UNIQUE-ID");
  EXPECT_EQ(p.GetPCFAttribute(13), "COMPONENT-IDENTIFIER");
  EXPECT_EQ(p.GetIDFAttribute("COMPONENT-IDENTIFIER"), 12);
  EXPECT_EQ(p.GetIDFAttribute("NO-RECORD"), -1);
  EXPECT_EQ(p.GetIDFAttribute("STATUS"), -9999);
  EXPECT_EQ(p.GetIDFAttribute("UNKNOWN"), -9999);
  EXPECT_EQ(p.GetPCFAttribute(495), "ATTRIBUTE6");
  EXPECT_EQ(p.GetPCFAttribute(500), "ATTRIBUTE1");
  EXPECT_EQ(p.GetPCFAttribute(491), "ATTRIBUTE10");
  EXPECT_EQ(p.GetPCFAttribute(490), "");
  EXPECT_EQ(p.GetIDFAttribute("attribute6"), 495);
  EXPECT_EQ(p.GetIDFAttribute("ATTRIBUTE"), 502);  // the bare base name reads as member -1
  EXPECT_EQ(p.GetPCFAttribute(700), "UNSIZED");    // a family below two members matches like a single one
  EXPECT_EQ(p.GetPCFAttribute(701), "");

  const std::int32_t pipeline[] = {600, 599, 598, 597, 596, 300, 299, 298, 297, 296};
  const std::int32_t split[] = {100, 99, 50, 49, 48, 10, 9, 8};
  for (int member = 0; member < 10; ++member) {
    const std::string name = "PIPELINE" + std::to_string(member);
    EXPECT_EQ(p.GetIDFAttribute(name), pipeline[member]) << name;
    EXPECT_EQ(p.GetPCFAttribute(pipeline[member]), name);
    if (member < 8) {
      EXPECT_EQ(p.GetPCFAttribute(split[member]), "SPLIT" + std::to_string(member));
    }
  }
  EXPECT_EQ(p.GetPCFAttribute(295), "");
  EXPECT_EQ(p.GetPCFAttribute(7), "");
  EXPECT_EQ(p.GetIDFAttribute("SPLIT1"), -9999);  // five parts: no record formula
}

TEST(AttributeMap, BadRecordTextsRaiseTypeMismatchAndOverflow) {
  Fixture f = Map(R"(<ATT PCF="FIRST" IDF="12;abc"/><ATT PCF="LATER" IDF="14"/>
    <ATT PCFBASE="BADCOUNT" NUMBER="10" BASE="0" IDF="600;x;300"/>
    <ATT PCFBASE="TOP" NUMBER="10" BASE="1" IDF="2147483647"/>)");
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GetPCFAttribute(12), "FIRST");  // matched before the bad part is read
  for (std::int32_t record : {13, 14})
    EXPECT_EQ(testing::ErrorOf([&] { p.GetPCFAttribute(record); }).number(), errors::kTypeMismatch) << record;
  EXPECT_THROW(p.GetIDFAttribute("BADCOUNT1"), Error);
  EXPECT_EQ(testing::ErrorOf([&] { p.GetIDFAttribute("TOP"); }).number(), errors::kOverflow);  // 2147483647 + 1 + 1
  EXPECT_EQ(p.GetIDFAttribute("TOP3"), 2147483645);
}

}  // namespace
}  // namespace pipedex
