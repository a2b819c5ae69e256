#pragma once

// The default elbows of a catalogue, loaded the way an instance loads it on
// first use, for a caller that needs no instance (the catalogue check).

#include <memory>
#include <vector>

#include "model/default_elbow.h"
#include "pipedex/platform.h"

namespace pipedex::instance {

// Loads the system file the platform locates (with the project file beside it
// and the language variant of the platform's locale), builds the lists and
// returns the default elbows in list order. Throws pipedex::Error with the
// load's errors.
std::vector<model::DefaultElbow> LoadDefaultElbows(std::shared_ptr<Platform> platform);

}  // namespace pipedex::instance
