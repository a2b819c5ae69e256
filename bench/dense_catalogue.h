#pragma once

// The second shape of synthetic catalogue: the shipped sample followed by
// blocks of many small entries. Each block adds a group of small component
// types (one to three SKEYs each, no forms or geometry of their own), the
// definitions of their SKEYs, PCF types with their IDF records, a default end
// preparation list and deep numbered attribute families; descriptions are
// long, and every few entries very long. Against the replica shape
// (catalogue_generator.h) it holds about twice the component types and SKEYs
// per MB, and no configurations, bore rows or symbols beyond the sample's.
// Block 0 is the sample itself, so every key of the sample exists at every size.

#include <cstddef>
#include <string>

namespace pipedex::bench {

// The catalogue text with the sample and `blocks - 1` dense blocks (1 = the
// sample alone, re-indented). Throws std::runtime_error when the sample cannot be read.
std::string GenerateDenseCatalogue(const std::string& samplePath, std::size_t blocks);

// The number of blocks that makes the dense catalogue about `targetBytes` long.
std::size_t DenseBlocksForSize(const std::string& samplePath, std::size_t targetBytes);

}  // namespace pipedex::bench
