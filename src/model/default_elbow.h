#pragma once

// One default elbow of the catalogue: a component type whose PCF type is
// "ELBOW", with the bend angle worked out from its keypoint geometry.

#include <string>
#include <utility>

#include <pugixml.hpp>

namespace pipedex::model {

// Whether a component type element is a default elbow: PCF type ELBOW, but
// neither a 2D return nor the non-standard elbow.
bool IsDefaultElbow(pugi::xml_node componentType);

class DefaultElbow {
 public:
  DefaultElbow() = default;
  // An elbow whose angle was worked out before (kept in a compiled index).
  DefaultElbow(std::string componentType, double angle) : componentType_(std::move(componentType)), angle_(angle) {}

  // The element name of the component type given to Initialize ("" until then).
  const std::string& ComponentType() const noexcept { return componentType_; }
  // The bend angle in degrees, two decimals; 0 until computed or when the
  // geometry is unusable.
  double Angle() const noexcept { return angle_; }

  // Reads the component type element and computes the angle. Throws
  // pipedex::Error when the geometry cannot give an angle; ComponentType is
  // set by then and Angle stays 0.
  void Initialize(pugi::xml_node node);

 private:
  std::string componentType_;
  double angle_ = 0.0;
};

}  // namespace pipedex::model
