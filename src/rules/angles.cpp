// Choosing catalogue entries by bend angle: the standard configuration of an
// angle, the component type that carries an SKEY in that configuration, and
// the default elbow that stands for a bend (exact within the tolerance, or
// cut down from the next larger elbow when the component has trimmable ends).

#include <cmath>

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

constexpr int kStandardAngles[] = {90, 60, 45, 30};

std::string AngleConfiguration(int angle) { return "Angle_" + std::to_string(angle); }

// The first standard angle (90, 60, 45, 30) within the tolerance, even when a
// later one is closer; "NonStandard" when none is.
std::string StandardConfiguration(double angle, double tolerance) {
  for (int standard : kStandardAngles)
    if (std::fabs(angle - standard) < tolerance) return AngleConfiguration(standard);
  return format::kConfigNonStandard;
}

// The configuration of the next standard angle at or above the given one, for
// a bend cut down from a larger elbow. Above 90 (or not a number) there is none.
std::string TrimConfiguration(double angle) {
  if (angle > 90) return format::kConfigNonStandard;
  if (angle > 60 && angle <= 90) return AngleConfiguration(90);
  if (angle > 45 && angle <= 60) return AngleConfiguration(60);
  if (angle > 30 && angle <= 45) return AngleConfiguration(45);
  if (angle <= 30) return AngleConfiguration(30);
  return format::kConfigNonStandard;
}

// The element's SKEY child whose text equals the SKEY, ignoring case and blanks.
model::Element FindSKEYChild(const model::Element& componentType, const std::string& skey) {
  // SKEY[NoCaseEquals(".", skey)], evaluated without the XPath engine.
  return componentType.ChildNoCase(format::kSKEY, skey);
}

// Whether the component type is one of the bends, whose angle is free.
bool IsBendComponentType(std::string_view ComponentType) {
  const std::string name = text::UpperTrim(ComponentType);
  return name == "PULLEDBEND" || name == "RETURNBEND" || name == "TEEDBEND";
}

}  // namespace

double Pipedex::AngleTolerance() const { return impl_->AngleTolerance; }

void Pipedex::AngleTolerance(double value) { impl_->AngleTolerance = value; }

std::string Pipedex::GetConfigurationForAngle(double Angle) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return StandardConfiguration(Angle, impl_->AngleTolerance);
  });
}

std::string Pipedex::GetComponentTypeByAngle(const std::string& SKEY, double Angle, bool& Trimmed) {
  return detail::Answer(*impl_, "", [&](Impl& impl) -> std::string {
    Trimmed = false;
    std::string configuration = StandardConfiguration(Angle, impl.AngleTolerance);
    if (configuration == format::kConfigNonStandard && IsTrimmableSKEY(SKEY)) {
      Trimmed = true;
      configuration = TrimConfiguration(Angle);
    }

    if (!impl.CptTypeNodes) errors::RaiseObjectNotSet();
    // The first component type of the configuration that lists the SKEY, or
    // its generic form, wins.
    const std::vector<model::Element> nodes = *impl.CptTypeNodes;
    for (const model::Element& node : nodes) {
      if (node.Attribute(format::kAttrConfiguration) != configuration) continue;
      if (FindSKEYChild(node, SKEY)) return std::string(node.LocalName());
      if (impl.SKEYHasEndPrepSuffix(SKEY) && FindSKEYChild(node, model::GenericSKEY(SKEY)))
        return std::string(node.LocalName());
    }
    return "";
  });
}

void Pipedex::GetAngleComponentData(const std::string& ComponentType, double Angle, bool& Trimmed,
                                    double& StandardAngle) {
  detail::OutOfMemoryAsError([&] {
    std::string standardComponentType;
    if (text::Right(ComponentType, 2) == "-V")
      GetAngleComponentData2(ComponentType, "BW", "BW", Angle, Trimmed, StandardAngle, standardComponentType);
    else
      GetAngleComponentData2(ComponentType, format::kGenericSKEYSuffix, format::kGenericSKEYSuffix, Angle, Trimmed,
                             StandardAngle, standardComponentType);
  });
}

void Pipedex::GetAngleComponentData2(const std::string& ComponentType, const std::string& EndPrep_1,
                                     const std::string& EndPrep_2, double Angle, bool& Trimmed, double& StandardAngle,
                                     std::string& StandardComponentType) {
  detail::OutOfMemoryAsError([&] {
    // Initialisation errors reach the caller; every later failure answers the
    // component of the type asked for at ninety degrees, untrimmed.
    detail::FromIndex(*impl_, [&](Impl& impl) {
      std::string componentType = ComponentType;
      try {
        // Bends are made to any angle from a 90 degree bend.
        if (IsBendComponentType(componentType)) {
          StandardAngle = 90;
          StandardComponentType = componentType;
          Trimmed = true;
          return;
        }

        Trimmed = false;
        if (text::Right(componentType, 2) == "-V")
          componentType = text::Left(componentType, text::Length(componentType) - 2);

        // A default elbow within the tolerance; the last one that matches wins.
        impl.RequireLists();
        bool matched = false;
        for (const model::DefaultElbow& elbow : impl.Elbows()) {
          if (std::fabs(Angle - elbow.Angle()) < impl.AngleTolerance) {
            StandardAngle = elbow.Angle();
            StandardComponentType = elbow.ComponentType();
            matched = true;
          }
        }
        if (matched) return;

        // A component with a trimmable end is cut from the smallest elbow larger
        // than the bend; among equal angles the first elbow listed wins.
        auto widened = [](const std::string& endPrep) {
          return text::Length(endPrep) == 2 ? endPrep + "--" : endPrep;
        };
        const bool trimmable1 = IsTrimmableEndByComponentType(componentType, widened(EndPrep_1));
        const bool trimmable2 = IsTrimmableEndByComponentType(componentType, widened(EndPrep_2));
        if (trimmable1 || trimmable2) {
          double best = 360;
          bool picked = false;
          for (const model::DefaultElbow& elbow : impl.Elbows()) {
            const double difference = elbow.Angle() - Angle;
            if (difference > 0 && difference < best) {
              best = difference;
              StandardAngle = elbow.Angle();
              StandardComponentType = elbow.ComponentType();
              Trimmed = true;
              picked = true;
            }
          }
          if (picked) return;
        }

        StandardAngle = Angle;
        StandardComponentType = format::kElbowNonStandard;
      } catch (...) {
        errors::RethrowIfNoAnswer();
        Trimmed = false;
        StandardAngle = 90;
        StandardComponentType = componentType;
      }
    });
  });
}

std::vector<DefaultElbowInfo> Pipedex::DefaultElbows() {
  return detail::OutOfMemoryAsError([&]() -> std::vector<DefaultElbowInfo> {
    return detail::FromIndex(*impl_, [](Impl& impl) {
      std::vector<DefaultElbowInfo> elbows;
      elbows.reserve(impl.Elbows().size());
      for (const model::DefaultElbow& elbow : impl.Elbows()) elbows.push_back({elbow.ComponentType(), elbow.Angle()});
      return elbows;
    });
  });
}

}  // namespace pipedex
