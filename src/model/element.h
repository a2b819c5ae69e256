#pragma once

// Element: one element of the built catalogue (a group, a component type, an
// SKEY definition, an end preparation, a section) as the operations read it.
// The operations read elements only through these members and the catalogue's
// lists and indexes, never the document itself, so a store other than the
// loaded document (a compiled, memory-mapped catalogue) can answer the same
// members. An element is a handle into the merged document, or into a
// compiled flat copy of it (base/flat_document.h) read in place: copying one
// is copying a word, and every member reads its store as it is now.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/flat_document.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex::model {

class Element {
 public:
  // No element: every member answers empty ("" for texts, no element for steps).
  Element() = default;
  explicit Element(pugi::xml_node node) : bits_(reinterpret_cast<std::uintptr_t>(node.internal_object())) {}
  // The node `id` of a compiled document, which must outlive the element (kNoNode: no element).
  // Raises flat::Corrupt when the document lies beyond the addresses a handle can hold.
  Element(const flat::Document& document, flat::NodeId id) {
    if (id == flat::kNoNode) return;
    const auto address = reinterpret_cast<std::uintptr_t>(&document);
    if (address >> (kPageBits + 64 - kPageShift) != 0 || id >= flat::kMaxNodes) RaiseBeyondHandle();
    bits_ = (address >> kPageBits) << kPageShift | std::uintptr_t{id} << kIdShift | 1u;
  }

  // Whether there is a node at all (a list of a section may hold non-element nodes).
  explicit operator bool() const { return bits_ != 0; }
  // Whether it is an element node.
  bool IsElement() const { return (IsFlat() ? FlatKind() : Xml().type()) == pugi::node_element; }
  // Its name as written, namespace prefix included.
  std::string_view Name() const { return IsFlat() ? FlatName() : Xml().name(); }
  // Its name without a namespace prefix: the name by which groups, component types and PCF types are data.
  std::string_view LocalName() const { return IsFlat() ? xml::LocalName(FlatName()) : xml::LocalName(Xml()); }
  // Its text, as the document's text() of the element.
  std::string Text() const { return IsFlat() ? FlatText() : xml::Text(Xml()); }
  // The attribute named exactly `name`, or `fallback` when the element or the attribute does not exist.
  std::string Attribute(std::string_view name, std::string_view fallback = "") const {
    return IsFlat() ? FlatAttribute(name, fallback) : xml::GetAttributeText(Xml(), name, fallback);
  }
  // The element that holds this one (a component type's group), or no element.
  Element Parent() const { return IsFlat() ? FlatParent() : Element(Xml().parent()); }
  // The first child element named exactly `name`, or no element.
  Element Child(std::string_view name) const {
    return IsFlat() ? FlatChild(name) : Element(xml::FirstChildElement(Xml(), name));
  }
  // The first child element named `step` whose text equals `value` regardless of letter case
  // and white space. Raises 91 (object not set) when there is no element.
  Element ChildNoCase(std::string_view step, std::string_view value) const {
    return IsFlat() ? FlatChildNoCase(step, value) : Element(xml::FirstChildNoCase(Xml(), step, value));
  }
  // Its child elements in document order (none when there is no element).
  std::vector<Element> Children() const { return IsFlat() ? FlatChildren() : Elements(xml::ChildElements(Xml())); }
  // The elements a path of child steps selects ({"Placement", "*"}: each step a name, or "*"
  // for any element), in document order. Raises 91 (object not set) when there is no element.
  std::vector<Element> Select(std::initializer_list<std::string_view> steps) const {
    return IsFlat() ? FlatSelect(steps) : Elements(xml::SelectChildPath(Xml(), steps));
  }

  // The document node behind the element, for the members that hand nodes to
  // the client or evaluate a client's XPath: those need the document (none
  // for an element of a compiled document).
  pugi::xml_node Xml() const {
    return pugi::xml_node(IsFlat() ? nullptr : reinterpret_cast<pugi::xml_node_struct*>(bits_));
  }

  // Elements of document nodes, in the same order.
  static std::vector<Element> Elements(const std::vector<pugi::xml_node>& nodes) {
    std::vector<Element> elements;
    elements.reserve(nodes.size());
    for (pugi::xml_node node : nodes) elements.emplace_back(node);
    return elements;
  }

 private:
  // One word, since the built lists hold many: a document node's address
  // (its lowest bit clear, as nodes are aligned), or for a node of a compiled
  // document the lowest bit set, the node's number in the next 27 bits and
  // the document's page number (it is page-aligned) in the 36 above them.
  static constexpr unsigned kIdShift = 1, kPageShift = 28, kPageBits = 12;
  bool IsFlat() const { return bits_ & 1u; }
  const flat::Document& FlatDocument() const {
    return *reinterpret_cast<const flat::Document*>((bits_ >> kPageShift) << kPageBits);
  }
  flat::NodeId FlatId() const { return static_cast<flat::NodeId>((bits_ >> kIdShift) & (flat::kMaxNodes - 1)); }

  [[noreturn]] static void RaiseBeyondHandle();
  // The members on a compiled document (element.cpp); each raises
  // flat::Corrupt when the compiled bytes do not hold together.
  pugi::xml_node_type FlatKind() const;
  std::string_view FlatName() const;
  std::string FlatText() const;
  std::string FlatAttribute(std::string_view name, std::string_view fallback) const;
  Element FlatParent() const;
  Element FlatChild(std::string_view name) const;
  Element FlatChildNoCase(std::string_view step, std::string_view value) const;
  std::vector<Element> FlatChildren() const;
  std::vector<Element> FlatSelect(std::initializer_list<std::string_view> steps) const;

  std::uintptr_t bits_ = 0;
};

static_assert(sizeof(Element) == sizeof(void*), "the built lists hold elements by the million");

}  // namespace pipedex::model
