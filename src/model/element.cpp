// The members of an element of a compiled document: the same answers as the
// document's own members give for the node it was compiled from.

#include "model/element.h"

#include "base/errors.h"

namespace pipedex::model {
namespace {

bool IsText(pugi::xml_node_type kind) { return kind == pugi::node_pcdata || kind == pugi::node_cdata; }

}  // namespace

pugi::xml_node_type Element::FlatKind() const { return id_ == flat::kNoNode ? pugi::node_null : flat_->Kind(id_); }

std::string_view Element::FlatName() const { return id_ == flat::kNoNode ? std::string_view() : flat_->Name(id_); }

std::string Element::FlatText() const {
  if (id_ == flat::kNoNode) return "";
  if (IsText(flat_->Kind(id_))) return std::string(flat_->Value(id_));
  const flat::NodeId first = flat_->FirstChild(id_);
  if (first == flat::kNoNode) return "";
  if (flat_->NextSibling(first) == flat::kNoNode && IsText(flat_->Kind(first)))
    return std::string(flat_->Value(first));
  // Mixed content: the texts of every descendant in document order.
  std::string out;
  std::vector<flat::NodeId> pending{first};
  while (!pending.empty()) {
    const flat::NodeId n = pending.back();
    pending.pop_back();
    if (IsText(flat_->Kind(n))) out += flat_->Value(n);
    if (const flat::NodeId next = flat_->NextSibling(n); next != flat::kNoNode) pending.push_back(next);
    if (const flat::NodeId child = flat_->FirstChild(n); child != flat::kNoNode) pending.push_back(child);
  }
  return out;
}

std::string Element::FlatAttribute(std::string_view name, std::string_view fallback) const {
  if (FlatKind() != pugi::node_element) return std::string(fallback);
  bool found = false;
  const std::string_view value = flat_->Attribute(id_, name, found);
  return std::string(found ? value : fallback);
}

Element Element::FlatParent() const {
  return Element(*flat_, id_ == flat::kNoNode ? flat::kNoNode : flat_->Parent(id_));
}

Element Element::FlatChild(std::string_view name) const {
  if (id_ != flat::kNoNode)
    for (flat::NodeId c = flat_->FirstChild(id_); c != flat::kNoNode; c = flat_->NextSibling(c))
      if (flat_->Kind(c) == pugi::node_element && flat_->Name(c) == name) return Element(*flat_, c);
  return Element(*flat_, flat::kNoNode);
}

Element Element::FlatChildNoCase(std::string_view step, std::string_view value) const {
  const xml::NoCaseValue wanted(value);  // an invalid value fails before the missing node, as when written out
  if (id_ == flat::kNoNode) errors::RaiseObjectNotSet();
  for (flat::NodeId c = flat_->FirstChild(id_); c != flat::kNoNode; c = flat_->NextSibling(c)) {
    if (flat_->Kind(c) != pugi::node_element || flat_->Name(c) != step) continue;
    if (wanted.Matches(Element(*flat_, c).FlatText())) return Element(*flat_, c);
  }
  return Element(*flat_, flat::kNoNode);
}

std::vector<Element> Element::FlatChildren() const {
  std::vector<Element> out;
  if (id_ != flat::kNoNode)
    for (flat::NodeId c = flat_->FirstChild(id_); c != flat::kNoNode; c = flat_->NextSibling(c))
      if (flat_->Kind(c) == pugi::node_element) out.emplace_back(*flat_, c);
  return out;
}

std::vector<Element> Element::FlatSelect(std::initializer_list<std::string_view> steps) const {
  if (id_ == flat::kNoNode) errors::RaiseObjectNotSet();
  std::vector<Element> current{*this}, next;
  for (std::string_view step : steps) {
    next.clear();
    const bool any = step == "*";
    for (const Element& e : current)
      for (flat::NodeId c = flat_->FirstChild(e.id_); c != flat::kNoNode; c = flat_->NextSibling(c))
        if (flat_->Kind(c) == pugi::node_element && (any || flat_->Name(c) == step)) next.emplace_back(*flat_, c);
    current.swap(next);
  }
  return current;
}

}  // namespace pipedex::model
