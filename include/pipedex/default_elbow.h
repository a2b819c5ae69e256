#pragma once

#include <string>

#include <pugixml.hpp>

#include "pipedex/export.h"

namespace pipedex {

// One default elbow of the catalogue: a component type whose PCF type is
// "ELBOW", with the bend angle worked out from its keypoint geometry.
class PIPEDEX_API CDefaultElbow {
 public:
  // The element name of the component type given to Initialize ("" before).
  const std::string& ComponentType() const noexcept { return componentType_; }
  // The bend angle in degrees, two decimals; 0 until computed or when the
  // geometry is unusable.
  double Angle() const noexcept { return angle_; }

  // Reads the component type element and computes the angle. Throws
  // pipedex::Error when the geometry cannot give an angle; ComponentType is
  // set by then and Angle stays 0.
  void Initialize(pugi::xml_node& Node);

 private:
  std::string componentType_;
  double angle_ = 0.0;
};

}  // namespace pipedex
