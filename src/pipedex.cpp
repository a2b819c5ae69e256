// Constructing a Pipedex: the instance's state on a platform, loaded on first
// use. The members that answer are defined in the folder of their area
// (src/queries, src/rules, src/overlays).

#include "instance/pipedex_impl.h"

namespace pipedex {

Pipedex::Pipedex() : Pipedex(MakeSystemPlatform()) {}
// The state's allocation is the one way construction can fail.
Pipedex::Pipedex(std::shared_ptr<Platform> platform) try : impl_(std::make_unique<Impl>(std::move(platform))) {
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}
Pipedex::~Pipedex() = default;
Pipedex::Pipedex(Pipedex&&) noexcept = default;
Pipedex& Pipedex::operator=(Pipedex&&) noexcept = default;

}  // namespace pipedex
