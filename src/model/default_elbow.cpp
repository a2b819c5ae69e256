// A default elbow works out its bend angle from the keypoint geometry of its
// configuration: the directions of the two legs that end at the run ends.

#include <array>
#include <cmath>

#include "model/default_elbow.h"

#include "base/errors.h"
#include "base/format.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "model/configuration_lookup.h"

namespace pipedex::model {
namespace {

using Point = std::array<double, 3>;

[[noreturn]] void RaiseDivisionByZero() { throw Error(errors::kDivisionByZero, errors::kSource, "Division by zero"); }

Point ParseCoords(const std::string& coords) {
  Point p{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (start > coords.size())  // fewer than three parts
      throw Error(errors::kSubscriptOutOfRange, errors::kSource, "Subscript out of range");
    std::size_t comma = coords.find(',', start);
    std::string part = coords.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    auto value = text::ParseNumber(part);
    if (!value) errors::RaiseTypeMismatch();
    if (!std::isfinite(*value)) errors::RaiseOverflow();  // beyond the range of a double
    p[i] = *value;
    start = comma == std::string::npos ? coords.size() + 1 : comma + 1;
  }
  return p;
}

// The root element of the node's document.
pugi::xml_node RootElement(pugi::xml_node node) {
  for (pugi::xml_node c = node.root().first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) return c;
  return {};
}

double Length(const Point& p) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }

}  // namespace

bool IsDefaultElbow(pugi::xml_node componentType) {
  return xml::GetAttributeText(componentType, format::kAttrPCFTYPE, "") == format::kPCFTYPEElbow &&
         xml::GetAttributeText(componentType, format::kAttrConfiguration, "") != format::kConfigReturn2D &&
         xml::LocalName(componentType) != format::kElbowNonStandard;
}

void DefaultElbow::Initialize(pugi::xml_node node) {
  if (!node) errors::RaiseObjectNotSet();
  componentType_ = xml::LocalName(node);
  angle_ = 0.0;

  // The geometry: the element's own Default-Configuration for a NonStandard
  // elbow, otherwise the one of the configuration it names.
  const std::string configuration = xml::GetAttributeText(node, format::kAttrConfiguration, "");
  pugi::xml_node geometry;
  if (configuration == format::kConfigNonStandard) {
    geometry = xml::FirstChildElement(node, format::kDefaultConfiguration);
  } else {
    geometry = FindConfigurationChild(RootElement(node), configuration, format::kDefaultConfiguration);
  }
  if (!geometry) return;

  // The far ends of the legs that start at the two run ends; a later leg wins.
  std::string far1, far2;
  for (pugi::xml_node leg : xml::ChildElements(geometry)) {
    if (std::string_view(leg.name()) != format::kLeg) continue;
    const std::string a = xml::GetAttributeText(leg, format::kAttrKeypointA, "");
    const std::string b = xml::GetAttributeText(leg, format::kAttrKeypointB, "");
    if (a == format::kRun1) far1 = b;
    if (b == format::kRun1) far1 = a;
    if (a == format::kRun2) far2 = b;
    if (b == format::kRun2) far2 = a;
  }

  Point r1{}, r2{}, f1{}, f2{};
  for (pugi::xml_node kp : xml::ChildElements(geometry)) {
    if (std::string_view(kp.name()) != format::kKeypoint) continue;
    const std::string name = xml::GetAttributeText(kp, format::kAttrName, "");
    const std::string coords = xml::GetAttributeText(kp, format::kAttrCoords, format::kDefaultCoords);
    if (name == format::kRun1) r1 = ParseCoords(coords);
    if (name == format::kRun2) r2 = ParseCoords(coords);
    if (name == far1) f1 = ParseCoords(coords);
    if (name == far2) f2 = ParseCoords(coords);
  }

  const Point u{f1[0] - r1[0], f1[1] - r1[1], f1[2] - r1[2]};
  const Point v{r2[0] - f2[0], r2[1] - f2[1], r2[2] - f2[2]};
  const double lengths = Length(u) * Length(v);
  const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  // Coordinates so large that the products leave the range of a double.
  if (!std::isfinite(lengths) || !std::isfinite(dot)) errors::RaiseOverflow();
  if (lengths == 0) RaiseDivisionByZero();
  const double k = dot / lengths;
  const double rest = 1 - k * k;
  if (rest < 0) errors::RaiseInvalidCall();
  if (rest == 0) RaiseDivisionByZero();
  // arctan(-k / sqrt(1 - k^2)) + 2 arctan(1) is arccos(k).
  const double radians = std::atan(-k / std::sqrt(rest)) + 2 * std::atan(1.0);
  angle_ = text::RoundHalfEven(radians * 180 / 3.14159265358979 * 100) / 100;
}

}  // namespace pipedex::model
