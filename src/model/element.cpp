// The members of an element of a compiled document: the same answers as the
// document's own members give for the node it was compiled from. An element
// of a compiled document always has a node: "no node" is the empty element.

#include "model/element.h"

#include "base/errors.h"

namespace pipedex::model {
namespace {

// The kinds whose value is text content: texts, and elements holding their one text.
bool IsTextOrElement(pugi::xml_node_type kind) { return xml::IsText(kind) || kind == pugi::node_element; }

}  // namespace

void Element::RaiseBeyondHandle() { throw flat::Corrupt("a compiled node beyond what an element holds"); }

pugi::xml_node_type Element::FlatKind() const { return FlatDocument().Kind(FlatId()); }

std::string_view Element::FlatName() const { return FlatDocument().Name(FlatId()); }

std::string Element::FlatText() const {
  const flat::Document& d = FlatDocument();
  const flat::NodeId id = FlatId();
  // A text, or an element of one text (which it holds as its value), or none.
  const flat::NodeId first = d.FirstChild(id);
  if (first == flat::kNoNode) return IsTextOrElement(d.Kind(id)) ? std::string(d.Value(id)) : "";
  // Mixed content: the texts of every descendant in document order.
  std::string out;
  std::vector<flat::NodeId> pending{first};
  while (!pending.empty()) {
    const flat::NodeId n = pending.back();
    pending.pop_back();
    if (IsTextOrElement(d.Kind(n))) out += d.Value(n);
    if (const flat::NodeId next = d.NextSibling(n); next != flat::kNoNode) pending.push_back(next);
    if (const flat::NodeId child = d.FirstChild(n); child != flat::kNoNode) pending.push_back(child);
  }
  return out;
}

std::string Element::FlatAttribute(std::string_view name, std::string_view fallback) const {
  bool found = false;
  const std::string_view value = FlatDocument().ElementAttribute(FlatId(), name, found);
  return std::string(found ? value : fallback);
}

Element Element::FlatParent() const { return Element(FlatDocument(), FlatDocument().Parent(FlatId())); }

Element Element::FlatChild(std::string_view name) const {
  const flat::Document& d = FlatDocument();
  const flat::NodeId child = d.ChildElement(FlatId(), name);
  return child == flat::kNoNode ? Element() : Element(d, child);
}

Element Element::FlatChildNoCase(std::string_view step, std::string_view value) const {
  const xml::NoCaseValue wanted(value);  // an invalid value fails before the missing node, as when written out
  const flat::Document& d = FlatDocument();
  Element found;
  d.ForEachChild(FlatId(), [&](flat::NodeId c, bool element) {
    if (!element || !d.NameIs(c, step)) return true;
    const Element child(d, c);
    if (wanted.Matches(child.FlatText())) found = child;
    return !found;
  });
  return found;
}

std::vector<Element> Element::FlatChildren() const {
  const flat::Document& d = FlatDocument();
  std::vector<Element> out;
  out.reserve(16);  // most elements that are asked for theirs have a few
  d.ForEachChild(FlatId(), [&](flat::NodeId c, bool element) {
    if (element) out.emplace_back(d, c);
    return true;
  });
  return out;
}

std::vector<Element> Element::FlatSelect(std::initializer_list<std::string_view> steps) const {
  const flat::Document& d = FlatDocument();
  std::vector<Element> current{*this}, next;
  for (std::string_view step : steps) {
    next.clear();
    const bool any = step == "*";
    for (const Element& e : current)
      d.ForEachChild(e.FlatId(), [&](flat::NodeId c, bool element) {
        if (element && (any || d.NameIs(c, step))) next.emplace_back(d, c);
        return true;
      });
    current.swap(next);
  }
  return current;
}

}  // namespace pipedex::model
