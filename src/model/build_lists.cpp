// Building the index lists from the merged catalogue document, once per
// initialisation and again after every project or user file.

#include "core/errors.h"
#include "core/format.h"
#include "core/pipedex_impl.h"
#include "core/text.h"
#include "core/xml_utils.h"

namespace pipedex {
namespace {

using xml::GetAttributeText;

// Runs one step of the build; a step that fails is skipped and the build goes on.
template <typename F>
void Skippable(F&& step) {
  try {
    step();
  } catch (...) {
  }
}

std::int32_t WholeNumber(const std::string& textValue) {
  auto value = text::ToLong(text::LeadingNumber(textValue));
  if (!value) RaiseOverflow();
  return *value;
}

}  // namespace

bool Pipedex::Impl::BuildInternalLists() {
  // Steps 1 to 4: failures here fail the build.
  try {
    if (!DataRoot) RaiseObjectNotSet();
    CptSection = xml::FirstChildElement(DataRoot, format::kCptSection);
    SKEYSection = xml::FirstChildElement(DataRoot, format::kSKEYSection);
    PCFIDFSection = xml::FirstChildElement(DataRoot, format::kPCFIDFSection);
    PlotraAttSection = xml::FirstChildElement(DataRoot, format::kPlotraAttributes);

    GroupNodes = xml::SelectChildPath(DataRoot, {format::kCptSection, "*"});
    CptTypeNodes = xml::SelectChildPath(DataRoot, {format::kCptSection, "*", "*"});
    ConfigurationNodes = xml::SelectChildPath(DataRoot, {format::kConfigurationSection, "*"});
    EndPrepNodes = xml::SelectChildPath(DataRoot, {format::kEndPrepSection, "*"});
    OperationNodes = xml::SelectChildPath(DataRoot, {format::kOperationSection, "*"});
    SKEYNodes = xml::SelectChildPath(DataRoot, {format::kSKEYSection, format::kSKEY});
    PCFIDFNodes = xml::SelectChildPath(DataRoot, {format::kPCFIDFSection, "*"});

    PlotraEndPreps.clear();
    PlotraTokens.Clear();
    PlotraEndPrepsUpper.clear();
    PlotraUpperTokens.Clear();
    for (pugi::xml_node n : *EndPrepNodes) {
      if (n.type() != pugi::node_element || std::string_view(n.name()) != format::kEndPrep) continue;
      if (GetAttributeText(n, format::kAttrPlotra, format::kDefaultPlotra) != format::kPlotraYes) continue;
      std::string token = "~" + text::Left(xml::Text(n), 2) + "~";
      if (PlotraTokens.Contains(PlotraEndPreps, token)) continue;
      PlotraTokens.Append(PlotraEndPreps, token);
      // Tokens are whole characters between two "~", so the upper-cased text is
      // the upper-cased tokens one after another.
      PlotraUpperTokens.Append(PlotraEndPrepsUpper, text::Upper(token));
    }

    SKEYIndex = {};
    PCFTYPEIndex = {};
    IDFIndex = {};
    CptTypeTags = {};
    SKEYTags = {};
    DefaultEndPrepTags = {};
    AttMap = {};
    DefaultElbows.clear();
    ListsBuilt = true;
  } catch (const std::exception& e) {
    GroupNodes.reset();
    CptTypeNodes.reset();
    SKEYNodes.reset();
    ConfigurationNodes.reset();
    EndPrepNodes.reset();
    PCFIDFNodes.reset();
    OperationNodes.reset();
    LastBuildError = e.what();
    return false;
  }

  // From here on a failing step is skipped.

  // 6. Component types: SKEY index, name index, PCF type index, default elbows.
  for (pugi::xml_node cpt : *CptTypeNodes) {
    if (cpt.type() != pugi::node_element) continue;
    const std::string name(xml::LocalName(cpt));
    const std::string pcfType = GetAttributeText(cpt, format::kAttrPCFTYPE, "");
    for (pugi::xml_node child = cpt.first_child(); child; child = child.next_sibling()) {
      if (child.type() == pugi::node_element && std::string_view(child.name()) == format::kSKEY)
        Skippable([&] { SKEYIndex.Add(name, pcfType, xml::Text(child)); });
    }
    Skippable([&] { CptTypeTags.Add(name, cpt, name); });
    Skippable([&] { PCFTYPEIndex.Add(name, "", pcfType); });
    if (pcfType == format::kPCFTYPEElbow &&
        GetAttributeText(cpt, format::kAttrConfiguration, "") != format::kConfigReturn2D &&
        name != format::kElbowNonStandard) {
      CDefaultElbow elbow;
      Skippable([&] { elbow.Initialize(cpt); });
      DefaultElbows.push_back(std::move(elbow));  // kept even when its geometry failed
    }
  }

  // 7. PCF types and the IDF record index.
  PCFTYPEList = NameList{""};
  for (pugi::xml_node pcf : *PCFIDFNodes) {
    if (pcf.type() != pugi::node_element) continue;
    const std::string name(xml::LocalName(pcf));
    PCFTYPEList->push_back(name);
    std::string marker;
    for (pugi::xml_node child : xml::ChildElements(pcf)) {
      if (std::string_view(child.name()) == format::kDEFAULT) {
        marker = format::kDEFAULT;
        break;
      }
    }
    for (pugi::xml_node child : xml::ChildElements(pcf)) {
      if (std::string_view(child.name()) == format::kIDF)
        Skippable([&] { IDFIndex.Add(marker, name, xml::Text(child)); });
    }
  }

  // 8. SKEY definitions: the last element of a name wins.
  for (pugi::xml_node skey : *SKEYNodes) {
    if (skey.type() != pugi::node_element || std::string_view(skey.name()) != format::kSKEY) continue;
    const std::string tag = text::Trim(xml::Text(skey));
    Skippable([&] { SKEYTags.Add(tag, skey, tag); });
  }

  // 9. Default end preparation lists.
  Skippable([&] {
    for (pugi::xml_node skey :
         xml::SelectChildPath(DataRoot, {format::kDefaultEndPrepSection, format::kSKEYList, format::kSKEY})) {
      const std::string tag = text::Trim(xml::Text(skey));
      Skippable([&] { DefaultEndPrepTags.Add(tag, skey, tag); });
    }
  });

  // 10. Attribute mappings: single attributes and numbered families.
  if (PlotraAttSection) {
    Skippable([&] {
      for (pugi::xml_node att : xml::SelectChildPath(PlotraAttSection, {format::kATT})) {
        const std::string pcf = GetAttributeText(att, format::kAttrPCF, format::kDefaultPCF);
        const bool useDisplay = text::UpperTrim(GetAttributeText(att, format::kAttrEXPORTUSING,
                                                                 format::kDefaultEXPORTUSING)) == format::kDisplayName;
        const std::string idf = GetAttributeText(att, format::kAttrIDF, format::kDefaultIDF);
        if (pcf != format::kDefaultPCF) {
          Skippable([&] { AttMap.Add(pcf, idf, 1, 0, useDisplay, text::Upper(pcf)); });
          continue;
        }
        const std::string base = GetAttributeText(att, format::kAttrPCFBASE, format::kDefaultPCFBASE);
        if (base == format::kDefaultPCFBASE) continue;
        Skippable([&] {
          std::int32_t number = WholeNumber(GetAttributeText(att, format::kAttrNUMBER, format::kDefaultNUMBER));
          std::int32_t attBase = WholeNumber(GetAttributeText(att, format::kAttrBASE, format::kDefaultBASE));
          AttMap.Add(base, idf, number, attBase, useDisplay, text::Upper(base));
        });
      }
    });
  }

  // 11. Suppressed attributes: a name mapped in step 10 keeps its mapping.
  if (PlotraAttSection) {
    Skippable([&] {
      for (pugi::xml_node att : xml::SelectChildPath(PlotraAttSection, {format::kSuppressList, format::kATT})) {
        const std::string s = GetAttributeText(att, format::kAttrSUPPRESS, "");
        Skippable([&] { AttMap.Add(s, "", -1, -1, false, s); });
      }
    });
  }

  // 12. Language texts.
  if (LanguageDoc) {
    for (const char* selection : {"ZENROD-ISOMETRICS-DATA/A_CPT/*", "ZENROD-ISOMETRICS-DATA/A_CPT/*/*",
                                  "ZENROD-ISOMETRICS-DATA/A_ENDPREP/*", "ZENROD-ISOMETRICS-DATA/A_OPERATION/*",
                                  "ZENROD-ISOMETRICS-DATA/A_SKEY/*"}) {
      Skippable([&] { ApplyLanguageText(xml::SelectNodes(*LanguageDoc, selection)); });
    }
  }
  return true;
}

bool Pipedex::Impl::SKEYHasEndPrepSuffix(std::string_view SKEY) const {
  if (text::Length(SKEY) != 4 || text::Upper(text::Left(SKEY, 2)) == "FL") return false;
  const std::string token = "~" + text::Upper(text::Right(SKEY, 2)) + "~";
  return PlotraTokens.Contains(PlotraEndPreps, token) || token == "~**~";
}

void Pipedex::Impl::AppendNamesToList(std::string_view What, NameList& Names, const model::CTypeLookup& Source,
                                      bool Append) {
  if (!Append) Names.assign(1, "");
  const bool componentTypes = text::Upper(What) == "COMPONENTTYPE";
  for (std::int32_t i = 1; i <= Source.nCpts(); ++i)
    Names.push_back(componentTypes ? Source.GetCptType(i) : Source.GetPCFTYPE(i));
}

void Pipedex::Impl::AppendNamesToList(std::string_view /*What*/, NameList& Names,
                                      const std::vector<pugi::xml_node>& Source, bool Append) {
  if (!Append) Names.assign(1, "");
  for (pugi::xml_node n : Source) Names.emplace_back(xml::LocalName(n));
}

void Pipedex::Impl::FilterCptTypesByGroup(std::string_view Kind, std::string_view Group) {
  NameList names;
  if (FoundCptTypes && FoundCptTypes->size() > 1) names.assign(FoundCptTypes->begin() + 1, FoundCptTypes->end());
  FoundCptTypes = NameList{""};
  if (Kind != "Group") return;
  const std::string group = text::Upper(Group);
  for (const std::string& name : names) {
    pugi::xml_node node = CptTypeTags.Item(name).Node;
    if (!node) RaiseObjectNotSet();
    if (text::Upper(xml::LocalName(node.parent())) == group) FoundCptTypes->push_back(name);
  }
}

}  // namespace pipedex
