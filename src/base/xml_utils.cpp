#include "base/xml_utils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <utf8proc.h>

#include "base/errors.h"
#include "base/text.h"
#include "base/well_formed.h"
#include "base/xml_document.h"

namespace pipedex::xml {
namespace {

bool IsXmlName(std::string_view name) {
  if (name.empty()) return false;
  std::size_t pos = 0;
  bool first = true;
  while (pos < name.size()) {
    utf8proc_int32_t cp = -1;
    auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(name.data() + pos),
                              static_cast<utf8proc_ssize_t>(name.size() - pos), &cp);
    if (n <= 0) return false;
    const auto c = static_cast<char32_t>(cp);
    if (first ? !IsNameStartCharacter(c) : !IsNameCharacter(c)) return false;
    first = false;
    pos += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string GetAttributeText(pugi::xml_node node, std::string_view name, std::string_view fallback) {
  if (!node || node.type() != pugi::node_element) return std::string(fallback);
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
    if (name == a.name()) return a.value();
  return std::string(fallback);
}

std::string NoCaseEquals(std::string_view expression, std::string_view value) {
  return "normalize-space ( translate (" + std::string(expression) +
         ",'abcdefghijklmnopqrstuvwxyz','ABCDEFGHIJKLMNOPQRSTUVWXYZ') ) = '" + Quoted(text::UpperTrim(value)) + "'";
}

NoCaseValue::NoCaseValue(std::string_view value) : wanted_(text::UpperTrim(value)) {
  Quoted(wanted_);
  // The expression is handed over as a C string, which would end at a zero character.
  if (wanted_.find('\0') != std::string::npos)
    errors::RaiseInvalidXPath(wanted_, "The value contains a zero character.");
}

bool NoCaseValue::Matches(std::string_view nodeText) const {
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0, e = nodeText.size();
  while (b < e && space(nodeText[b])) ++b;
  while (e > b && space(nodeText[e - 1])) --e;
  // Walk the normalised, ASCII-upper-cased text and compare as it is produced.
  std::size_t w = 0;
  for (std::size_t i = b; i < e; ++i) {
    char c = nodeText[i];
    if (space(c)) {
      while (i + 1 < e && space(nodeText[i + 1])) ++i;
      c = ' ';
    } else {
      c = text::AsciiUpper(c);
    }
    if (w >= wanted_.size() || wanted_[w] != c) return false;
    ++w;
  }
  return w == wanted_.size();
}

pugi::xml_node FirstChildNoCase(pugi::xml_node parent, std::string_view step, std::string_view value) {
  const NoCaseValue wanted(value);  // an invalid value fails before the missing node, as when written out
  if (!parent) errors::RaiseObjectNotSet();
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element || step != c.name()) continue;
    // Most elements hold one text node: its value is the text, without concatenating.
    pugi::xml_node only = c.first_child();
    const bool single = only && !only.next_sibling() && IsText(only.type());
    if (single ? wanted.Matches(only.value()) : wanted.Matches(Text(c))) return c;
  }
  return {};
}

double NumberValue(std::string_view text) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::size_t digits = 0, points = 0;
  for (char c : text) {
    if (c == '.') ++points;
    else if (c >= '0' && c <= '9') ++digits;
    else return kNaN;
  }
  if (digits == 0 || points > 1) return kNaN;
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range)
    value = text.find_first_of("123456789") < std::min(text.find('.'), text.size()) ? HUGE_VAL : 0.0;
  return negative ? -value : value;
}

std::string_view LocalName(pugi::xml_node node) { return LocalName(std::string_view(node.name())); }

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string NodePath(pugi::xml_node node, bool useText) {
  if (!node) errors::RaiseObjectNotSet();
  std::string path = node.name();
  if (useText) {
    std::string t = Text(node);
    if (!t.empty()) path += "[contains(., '" + Quoted(t) + "')]";
  }
  for (pugi::xml_node p = node.parent(); p && p.type() != pugi::node_document; p = p.parent())
    path = std::string(p.name()) + "/" + path;
  return "//" + path;
}

std::string Quoted(std::string_view value, char quote) {
  if (value.find(quote) != std::string_view::npos)
    errors::RaiseInvalidXPath(std::string(value), "The value contains the quote character of its XPath literal.");
  return std::string(value);
}

std::string ElementName(std::string_view name) {
  if (name != "*" && !IsXmlName(name))
    errors::RaiseInvalidXPath(std::string(name), "The value is not a valid element name for an XPath step.");
  return std::string(name);
}

}  // namespace pipedex::xml
