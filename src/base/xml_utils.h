#pragma once

// Reading attributes with a fallback, and writing the XPath texts that the
// queries paste together. Caller values are pasted into XPath texts only
// through Quoted() and ElementName() (directly or through NoCaseEquals and
// NodePath): a value that would change the structure of the expression makes
// it count as invalid, and the operation applies its failure rule without the
// expression ever being evaluated.

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace pipedex::xml {

// The value of the attribute named exactly `name`, or `fallback` when the node
// or the attribute does not exist. A present but empty attribute gives "".
std::string GetAttributeText(pugi::xml_node node, std::string_view name, std::string_view fallback);

// The XPath predicate body that compares the value of `expression` with
// `value` regardless of letter case:
//   normalize-space ( translate (EXPR,'abc...z','ABC...Z') ) = 'VALUE'
// where VALUE is `value` upper-cased and trimmed.
std::string NoCaseEquals(std::string_view expression, std::string_view value);

// The predicate NoCaseEquals(".", value) evaluated without the XPath engine:
// Matches(text) is whether the text, with the letters a to z upper-cased and
// its white space normalised (trimmed, inner runs made one blank), equals the
// value upper-cased and trimmed. A value that would make the written
// expression invalid (an apostrophe, a zero character) raises the same error
// as evaluating it.
class NoCaseValue {
 public:
  explicit NoCaseValue(std::string_view value);
  bool Matches(std::string_view nodeText) const;

 private:
  std::string wanted_;
};

// The node that "STEP[NoCaseEquals(".", value)]" selects first from `parent`:
// its first child element named exactly `step` whose text matches. Raises
// error 91 when parent is empty, like selecting from nothing.
pugi::xml_node FirstChildNoCase(pugi::xml_node parent, std::string_view step, std::string_view value);

// The number XPath's number() reads from a text: optional white space, an
// optional minus, digits with an optional decimal point (no plus, no
// exponent), optional white space; NaN for anything else. The same under
// every locale of the host program.
double NumberValue(std::string_view text);

// The element's name without its namespace prefix ("Gizmo" for <ns:Gizmo>):
// the name by which group, component type and PCF type elements are data.
std::string_view LocalName(pugi::xml_node node);
// The same of an element name as written.
std::string_view LocalName(std::string_view name);

// An XPath expression that finds, in another document, the node at the same
// place: "//" + the chain of element names from the root element down, with
// [contains(., 'TEXT')] on the last step when useText is set and the node has text.
std::string NodePath(pugi::xml_node node, bool useText);

// `value` for pasting between two `quote` characters of an XPath text. A value
// that contains the quote character makes the expression invalid.
std::string Quoted(std::string_view value, char quote = '\'');
// `name` for pasting as an element name step: "*" or a valid XML name;
// anything else makes the expression invalid.
std::string ElementName(std::string_view name);

}  // namespace pipedex::xml
