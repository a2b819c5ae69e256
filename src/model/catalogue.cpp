// Building the catalogue's lists and indexes from the merged document, once per
// load and again after every project or user file and added SKEY.

#include "model/catalogue.h"

#include "base/errors.h"
#include "base/format.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex::model {

std::string GenericSKEY(std::string_view SKEY) { return text::Left(SKEY, 2) + format::kGenericSKEYSuffix; }

NameList& NameListResult::operator*() {
  if (pool_) {
    NameList names;
    names.reserve(numbers_.size() + 1);
    names.emplace_back();
    for (std::uint32_t number : numbers_) names.emplace_back(pool_->Name(number));
    list_ = std::move(names);
    pool_.reset();
    numbers_ = std::vector<std::uint32_t>();
  } else if (!list_) {
    list_.emplace();
  }
  return *list_;
}

NameList NameListResult::operator*() const {
  NameList names;
  for (std::size_t slot = 0; slot < size(); ++slot) names.emplace_back((*this)[slot]);
  return names;
}

void NameListResult::Assign(std::shared_ptr<const NamePool> pool, std::vector<std::uint32_t> numbers) {
  list_.reset();
  pool_ = std::move(pool);
  numbers_ = std::move(numbers);
}

namespace {

using xml::GetAttributeText;

// Runs one step of the build; a step that fails on the catalogue's data is
// skipped and the build goes on. Running out of memory is no fault of the
// data: it stops the build.
template <typename F>
void Skippable(F&& step) {
  try {
    step();
  } catch (...) {
    errors::RethrowIfNoAnswer();
  }
}

std::int32_t WholeNumber(const std::string& textValue) {
  auto value = text::ToLong(text::LeadingNumber(textValue));
  if (!value) errors::RaiseOverflow();
  return *value;
}

// A list of elements kept for as long as the catalogue (made at its exact size).
std::vector<Element> Kept(const std::vector<pugi::xml_node>& nodes) { return Element::Elements(nodes); }

// Section handles and whole-section node lists; the search results start as
// whole sections.
void SelectSections(pugi::xml_node root, Catalogue& c, SearchResults& r, std::vector<pugi::xml_node>& pcfTypes) {
  if (!root) errors::RaiseObjectNotSet();
  const Element data(root);
  c.CptSection = data.Child(format::kCptSection);
  c.SKEYSection = data.Child(format::kSKEYSection);
  c.PCFIDFSection = data.Child(format::kPCFIDFSection);
  c.PlotraAttSection = data.Child(format::kPlotraAttributes);

  c.GroupNodes = Kept(xml::SelectChildPath(root, {format::kCptSection, "*"}));
  r.CptTypeNodes = Kept(xml::SelectChildPath(root, {format::kCptSection, "*", "*"}));
  c.ConfigurationNodes = Kept(xml::SelectChildPath(root, {format::kConfigurationSection, "*"}));
  c.EndPrepNodes = Kept(xml::SelectChildPath(root, {format::kEndPrepSection, "*"}));
  r.OperationNodes = Kept(xml::SelectChildPath(root, {format::kOperationSection, "*"}));
  r.SKEYNodes = Kept(xml::SelectChildPath(root, {format::kSKEYSection, format::kSKEY}));
  pcfTypes = xml::SelectChildPath(root, {format::kPCFIDFSection, "*"});
  c.PCFIDFRead = true;
}

// The "~XX~" tokens of the end preparations flagged Plotra, each once.
void CollectPlotraTokens(Catalogue& c) {
  c.PlotraEndPreps.clear();
  c.PlotraTokens.Clear();
  c.PlotraEndPrepsUpper.clear();
  c.PlotraUpperTokens.Clear();
  for (const Element& n : *c.EndPrepNodes) {
    if (!n.IsElement() || n.Name() != format::kEndPrep) continue;
    if (n.Attribute(format::kAttrPlotra, format::kDefaultPlotra) != format::kPlotraYes) continue;
    std::string token = MakeToken(text::Left(n.Text(), 2));
    if (c.PlotraTokens.Contains(c.PlotraEndPreps, token)) continue;
    c.PlotraTokens.Append(c.PlotraEndPreps, token);
    // Tokens are whole characters between two "~", so the upper-cased text is
    // the upper-cased tokens one after another.
    c.PlotraUpperTokens.Append(c.PlotraEndPrepsUpper, text::Upper(token));
  }
  // Tokens already in capitals need no second index.
  c.PlotraUpperSame = c.PlotraEndPrepsUpper == c.PlotraEndPreps;
  if (c.PlotraUpperSame) {
    c.PlotraEndPrepsUpper.clear();
    c.PlotraEndPrepsUpper.shrink_to_fit();
    c.PlotraUpperTokens = {};
  }
}

void ClearIndexes(Catalogue& c) {
  // The indexes of component types share the names of the types they hold.
  auto names = std::make_shared<NamePool>();
  c.Names = names;
  c.SKEYIndex = CTypeIndex(names);
  c.PCFTYPEIndex = CTypeIndex(names);
  c.IDFIndex = CTypeIndex(names);
  c.CptTypeTags = {};
  // The names of component types and PCF types are kept once for the
  // indexes and the lists filed under them.
  c.CptTypeTags.KeepKeysIn(names);
  c.PCFTYPEIndex.KeepKeysIn(names);
  c.SKEYTags = {};
  c.DefaultEndPrepTags = {};
  c.AttMap = {};
  c.DefaultElbows.clear();
}

// The SKEY index is made at the size its keys can reach, so that filing
// them never grows it: a table that grows hashes every key again.
void ReserveSKEYIndex(const SearchResults& r, Catalogue& c) {
  std::size_t skeys = 0;
  for (const Element& element : *r.CptTypeNodes)
    for (pugi::xml_node child = element.Xml().first_child(); child; child = child.next_sibling())
      skeys += child.type() == pugi::node_element && std::string_view(child.name()) == format::kSKEY ? 1 : 0;
  c.SKEYIndex.Reserve(skeys);
}

// A component type's SKEYs in the SKEY index, and the type in the PCF type index.
void FileComponentTypeKeys(pugi::xml_node cpt, const std::string& name, std::string_view pcfType, Catalogue& c) {
  for (pugi::xml_node child = cpt.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && std::string_view(child.name()) == format::kSKEY)
      Skippable([&] { c.SKEYIndex.Add(name, pcfType, xml::Text(child)); });
  }
  Skippable([&] { c.PCFTYPEIndex.Add(name, "", pcfType); });
}

// Component types: the name index and the default elbows; and the SKEY and
// PCF type indexes when whole, else each type's PCF type is kept for them.
void IndexComponentTypes(const SearchResults& r, Catalogue& c, bool whole) {
  c.CptTypeTags.Reserve(r.CptTypeNodes->size());
  if (whole)
    ReserveSKEYIndex(r, c);
  else
    c.Pending.cptPCFTYPEs.reserve(r.CptTypeNodes->size());
  for (const Element& element : *r.CptTypeNodes) {
    const pugi::xml_node cpt = element.Xml();
    if (cpt.type() != pugi::node_element) continue;
    const std::string name(xml::LocalName(cpt));
    std::string pcfType = GetAttributeText(cpt, format::kAttrPCFTYPE, "");
    if (whole) FileComponentTypeKeys(cpt, name, pcfType, c);
    Skippable([&] { c.CptTypeTags.Add(name, cpt, name); });
    if (pcfType == format::kPCFTYPEElbow && IsDefaultElbow(cpt)) {
      DefaultElbow elbow;
      Skippable([&] { elbow.Initialize(cpt); });
      c.DefaultElbows.push_back(std::move(elbow));  // kept even when its geometry failed
    }
    if (!whole) c.Pending.cptPCFTYPEs.push_back(std::move(pcfType));
  }
  c.DefaultElbows.shrink_to_fit();
}

// Files the IDF records of a PCF type element under its name, each with the
// type's DEFAULT marker when it has one.
void FileIDFRecords(const Element& pcf, const std::string& name, CTypeIndex& idf) {
  const std::string marker = pcf.Child(format::kDEFAULT) ? format::kDEFAULT : "";
  for (const Element& child : pcf.Children())
    if (child.Name() == format::kIDF) Skippable([&] { idf.Add(marker, name, child.Text()); });
}

// PCF types (the search result starts as all of them) and the IDF record index.
void IndexPCFTypes(const std::vector<pugi::xml_node>& pcfTypes, Catalogue& c, SearchResults& r) {
  std::vector<std::uint32_t> names;
  names.reserve(pcfTypes.size());
  for (pugi::xml_node pcf : pcfTypes) {
    if (pcf.type() != pugi::node_element) continue;
    const std::string name(xml::LocalName(pcf));
    names.push_back(c.Names->Intern(name));
    FileIDFRecords(Element(pcf), name, c.IDFIndex);
  }
  r.PCFTYPEList.Assign(c.Names, std::move(names));
}

// SKEY definitions (the last element of a name wins) and default end preparation lists.
void FileSKEYs(pugi::xml_node root, const SearchResults& r, Catalogue& c) {
  c.SKEYTags.Reserve(r.SKEYNodes->size());
  for (const Element& element : *r.SKEYNodes) {
    const pugi::xml_node skey = element.Xml();
    if (skey.type() != pugi::node_element || std::string_view(skey.name()) != format::kSKEY) continue;
    const std::string tag = text::Trim(xml::Text(skey));
    Skippable([&] { c.SKEYTags.Add(tag, skey, tag); });
  }
  Skippable([&] {
    const std::vector<pugi::xml_node> skeys =
        xml::SelectChildPath(root, {format::kDefaultEndPrepSection, format::kSKEYList, format::kSKEY});
    c.DefaultEndPrepTags.Reserve(skeys.size());
    for (pugi::xml_node skey : skeys) {
      const std::string tag = text::Trim(xml::Text(skey));
      Skippable([&] { c.DefaultEndPrepTags.Add(tag, skey, tag); });
    }
  });
}

// One ATT element: a single attribute, or a numbered family under its base name.
void MapAttribute(const Element& att, AttList& map) {
  const std::string pcf = att.Attribute(format::kAttrPCF, format::kDefaultPCF);
  const bool useDisplay =
      text::UpperTrim(att.Attribute(format::kAttrEXPORTUSING, format::kDefaultEXPORTUSING)) == format::kDisplayName;
  const std::string idf = att.Attribute(format::kAttrIDF, format::kDefaultIDF);
  if (pcf != format::kDefaultPCF) {
    Skippable([&] { map.Add(pcf, idf, 1, 0, useDisplay, text::Upper(pcf)); });
    return;
  }
  const std::string base = att.Attribute(format::kAttrPCFBASE, format::kDefaultPCFBASE);
  if (base == format::kDefaultPCFBASE) return;
  Skippable([&] {
    std::int32_t number = WholeNumber(att.Attribute(format::kAttrNUMBER, format::kDefaultNUMBER));
    std::int32_t attBase = WholeNumber(att.Attribute(format::kAttrBASE, format::kDefaultBASE));
    map.Add(base, idf, number, attBase, useDisplay, text::Upper(base));
  });
}

}  // namespace

void MapAttributes(Catalogue& c) {
  c.AttMap = {};
  if (!c.PlotraAttSection) return;
  Skippable([&] {
    for (const Element& att : c.PlotraAttSection.Select({format::kATT})) MapAttribute(att, c.AttMap);
  });
  Skippable([&] {
    for (const Element& att : c.PlotraAttSection.Select({format::kSuppressList, format::kATT})) {
      const std::string s = att.Attribute(format::kAttrSUPPRESS, "");
      Skippable([&] { c.AttMap.Add(s, "", -1, -1, false, s); });
    }
  });
}

CTypeIndex IndexIDFRecords(const Element& root) {
  CTypeIndex idf;
  for (const Element& pcf : root.Select({format::kPCFIDFSection, "*"}))
    if (pcf.IsElement()) FileIDFRecords(pcf, std::string(pcf.LocalName()), idf);
  idf.Compact();
  return idf;
}

namespace {

// The PCF type list and the IDF records; then the indexes of component
// types shrink to fit their keys (fewer than the SKEYs named, or grown as
// the keys came), before the SKEY lists are filed.
void IndexPCFTypesAndSettle(Catalogue& c, SearchResults& r) {
  IndexPCFTypes(c.Pending.pcfTypes, c, r);
  c.Pending = {};  // its room serves the lists filed next
  for (CTypeIndex* index : {&c.SKEYIndex, &c.PCFTYPEIndex, &c.IDFIndex}) index->Compact();
  c.Names->Settle();  // every name is filed
}

void MapAttributesAndTables(pugi::xml_node root, Catalogue& c) {
  MapAttributes(c);
  Skippable([&] { c.Tables.Build(root); });
}

}  // namespace

std::optional<std::string> BuildCatalogue(pugi::xml_node root, Catalogue& c, SearchResults& r, BuildScope scope) {
  c.Tables.Clear();
  c.Pending = {};
  // Reading the sections is the part that fails the build.
  try {
    SelectSections(root, c, r, c.Pending.pcfTypes);
    CollectPlotraTokens(c);
    ClearIndexes(c);
    c.ListsBuilt = true;
  } catch (const std::exception& e) {
    errors::RethrowIfNoAnswer();
    for (NodeList* list : {&c.GroupNodes, &r.CptTypeNodes, &r.SKEYNodes, &c.ConfigurationNodes, &c.EndPrepNodes,
                           &r.OperationNodes})
      list->reset();
    c.PCFIDFRead = false;
    c.Pending = {};
    return std::string(e.what());
  }
  const bool whole = scope == BuildScope::Whole;
  IndexComponentTypes(r, c, whole);
  if (whole) IndexPCFTypesAndSettle(c, r);
  FileSKEYs(root, r, c);
  if (whole) MapAttributesAndTables(root, c);
  return std::nullopt;
}

void CompleteCatalogue(pugi::xml_node root, Catalogue& c, SearchResults& r) {
  ReserveSKEYIndex(r, c);
  std::size_t next = 0;
  for (const Element& element : *r.CptTypeNodes) {
    const pugi::xml_node cpt = element.Xml();
    if (cpt.type() == pugi::node_element)
      FileComponentTypeKeys(cpt, std::string(xml::LocalName(cpt)), c.Pending.cptPCFTYPEs.at(next++), c);
  }
  IndexPCFTypesAndSettle(c, r);
  MapAttributesAndTables(root, c);
}

Element Catalogue::SKEYElement(const std::string& SKEY, Prefer prefer) const {
  const bool suffix = SKEYHasEndPrepSuffix(SKEY);
  if (prefer == Prefer::Own) {
    Element own = SKEYTags.Item(SKEY).Node;
    return own || !suffix ? own : SKEYTags.Item(GenericSKEY(SKEY)).Node;
  }
  Element generic = suffix ? SKEYTags.Item(GenericSKEY(SKEY)).Node : Element();
  return generic ? generic : SKEYTags.Item(SKEY).Node;
}

bool Catalogue::PlotraUpperContains(const std::string& token) const {
  return PlotraUpperSame ? PlotraTokens.Contains(PlotraEndPreps, token)
                         : PlotraUpperTokens.Contains(PlotraEndPrepsUpper, token);
}

void Catalogue::RequireLists() const {
  if (!ListsBuilt) errors::RaiseObjectNotSet();
}

bool Catalogue::SKEYHasEndPrepSuffix(std::string_view SKEY) const {
  if (text::Length(SKEY) != 4 || text::Upper(text::Left(SKEY, 2)) == format::kFlangeSKEYPrefix) return false;
  const std::string suffix = text::Upper(text::Right(SKEY, 2));
  if (suffix == format::kGenericSKEYSuffix) return true;
  return PlotraCompiled ? TokenIndex::CompiledContains(PlotraPieces, MakeToken(suffix))
                        : PlotraTokens.Contains(PlotraEndPreps, MakeToken(suffix));
}

void SearchResults::AppendNamesToList(std::string_view What, NameList& Names, const CTypeLookup& Source,
                                      bool Append) {
  if (!Append) Names.assign(1, "");
  const bool componentTypes = text::Upper(What) == text::Upper(kComponentTypes);
  for (std::int32_t i = 1; i <= Source.nCpts(); ++i)
    Names.emplace_back(componentTypes ? Source.GetCptType(i) : Source.GetPCFTYPE(i));
}

void SearchResults::AppendNamesToList(std::string_view /*What*/, NameList& Names,
                                      const std::vector<Element>& Source, bool Append) {
  if (!Append) Names.assign(1, "");
  for (const Element& n : Source) Names.emplace_back(n.LocalName());
}

void FilterCptTypesByGroup(const Catalogue& catalogue, SearchResults& results, std::string_view Kind,
                           std::string_view Group) {
  std::optional<NameList>& found = results.FoundCptTypes;
  NameList names;
  if (found && found->size() > 1) names.assign(found->begin() + 1, found->end());
  found = NameList{""};
  if (Kind != kFilterByGroup) return;
  const std::string group = text::Upper(Group);
  for (const std::string& name : names) {
    const Element node = catalogue.CptTypeTags.Item(name).Node;
    if (!node) errors::RaiseObjectNotSet();
    if (text::Upper(node.Parent().LocalName()) == group) found->push_back(name);
  }
}

}  // namespace pipedex::model
