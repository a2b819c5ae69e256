#pragma once

// Initialisation with a language variant against the same without one, on
// system files of about 20 MB, each in fresh processes.

#include <string>

#include "summary.h"

namespace pipedex::bench {

// Two shapes: the generated catalogue, and the sample with a group holding
// text of 20 MB (one component type with half of it, many of one name with
// the rest). The variant is a copy of the system file, so every element of
// it is looked up. Records "init/variant-none/SHAPE" and "init/variant-en/SHAPE".
void MeasureVariantLoads(const std::string& dataDir, BenchResults& results);

}  // namespace pipedex::bench
