#pragma once

#include <cstdint>

namespace pipedex {

// Operations a component type may support (A_OPERATION and Operation children).
enum Operations : std::int32_t {
  opUnknown = 0,
  opFormBranch = 1,
  opFormtap = 2,
  opBranch = 3,
  opTap = 4,
  opBendPipe = 5,
  opCurvePipe = 6,
  opTrim = 7,
  opPlaceOn = 8,
  opPlaceIn = 9,
  opShorten = 10,
};

// Flags a component type may carry (Flag children).
enum Flags : std::int32_t {
  flUnknown = 0,
  flVariable = 1,
  flArtificial = 2,
  flIndeterminate = 3,
};

// Answer of PCFAttributeCheck.
enum AttCheck : std::int32_t {
  attIsValid = 0,
  attIsSuppressed = 1,
  attIsNotRecognised = 2,
  attDisplayNameIsValid = 4,
};

// Which value of a PCF type / SKEY pair GetValidData keeps fixed.
enum ValidDataMaster : std::int32_t {
  vdM_PCFTYPE = 0,
  vdM_SKEY = 1,
};

// Answer of GetValidData.
enum ValidDataReturn : std::int32_t {
  vdR_OK = 0,
  vdR_FAIL = 1,
  vdR_MODIFIED = 2,
};

}  // namespace pipedex
