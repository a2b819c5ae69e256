// Adding an SKEY at run time as a copy of an existing one: the copy goes into
// A_SKEY before its reference, every component type that lists the reference
// lists the new SKEY too, and so does the reference's default end-preparation
// list. The indexes are updated in place; the other lists are not rebuilt.

#include <new>

#include "base/errors.h"
#include "base/format.h"
#include "instance/pipedex_impl.h"

namespace pipedex {
namespace {

// Appends an element SKEY with the given text as the last child of parent.
pugi::xml_node AppendSKEYElement(pugi::xml_node parent, const std::string& skey) {
  if (!parent) errors::RaiseObjectNotSet();
  pugi::xml_node element = parent.append_child(format::kSKEY);
  if (!element) throw std::bad_alloc();  // the parser's allocator refused
  xml::SetText(element, skey);
  return element;
}

}  // namespace

void Pipedex::AddSKEY(const std::string& newSKEY, const std::string& Description, const std::string& RefSKEY) {
  detail::OutOfMemoryAsError([&] {
    Impl& d = detail::Loaded(*impl_);
    // The texts go into the document and must load again once it is saved.
    for (const std::string* text : {&newSKEY, &Description}) {
      if (std::string why = xml::WhyNotXmlText(*text); !why.empty())
        throw Error(errors::kAddSKEY, errors::kAddSKEYSource,
                    std::string(text == &newSKEY ? "Invalid new SKEY: " : "Invalid description: ") + why);
    }
    try {
      d.RequireLists();
      // The reference element: the generic form first when RefSKEY ends in a Plotra end preparation.
      pugi::xml_node reference = d.SKEYElement(RefSKEY, model::Catalogue::Prefer::Generic).Xml();
      if (!reference)
        throw Error(errors::kAddSKEY, errors::kAddSKEYSource, "Reference SKEY (" + RefSKEY + ") does not exist");

      // The copy: the reference's attributes, the new SKEY as its only content, its own description.
      pugi::xml_node section = d.SKEYSection.Xml();
      if (!section) errors::RaiseObjectNotSet();
      if (reference.parent() != section)
        throw Error(errors::kXmlService, errors::kSource,
                    "Insert position Node must be a Child of the Node to insert under.");
      pugi::xml_node copy = xml::WholeCopy(section.insert_copy_before(reference, reference), reference);
      xml::SetText(copy, newSKEY);
      const std::string description = Description.empty() ? "Based on " + RefSKEY : Description;
      pugi::xml_attribute descriptionAttribute = copy.attribute(format::kAttrDescription);
      if (!descriptionAttribute) descriptionAttribute = copy.append_attribute(format::kAttrDescription);
      if (!descriptionAttribute.set_value(description.c_str())) throw std::bad_alloc();  // the allocator refused
      d.SKEYTags.Add(newSKEY, copy, newSKEY);

      // Every component type listing RefSKEY itself (not its generic form) lists the new SKEY.
      // The entry's count is fixed when it is handed out: pairs filed for the
      // new SKEY do not join this walk, even when it is filed under the same key.
      const model::CTypeLookup users = d.SKEYIndex.Item(RefSKEY);
      for (std::int32_t i = 1; i <= users.nCpts(); ++i) {
        const std::string_view cptType = users.GetCptType(i);
        d.SKEYIndex.Add(cptType, users.GetPCFTYPE(i), newSKEY);
        AppendSKEYElement(d.CptTypeTags.Item(cptType).Node.Xml(), newSKEY);
      }

      // The default end-preparation list that holds RefSKEY holds the new SKEY too.
      if (pugi::xml_node listed = d.DefaultEndPrepTags.Item(RefSKEY).Node.Xml()) {
        pugi::xml_node added = AppendSKEYElement(listed.parent(), newSKEY);
        d.DefaultEndPrepTags.Add(newSKEY, added, newSKEY);
      }
    } catch (const std::exception& e) {
      try {
        errors::RethrowIfNoAnswer();
      } catch (const Error&) {
        d.ForgetLoad();  // the indexes may be half updated: the next call loads afresh
        throw;
      }
      throw Error(errors::kAddSKEY, errors::kAddSKEYSource, "Error adding SKEY " + newSKEY + "\r\n" + e.what());
    }
  });
}

}  // namespace pipedex
