#pragma once

// Deterministic synthetic catalogues for measuring the component at scale.
//
// A catalogue is the shipped sample catalogue followed, inside every section,
// by replicas of that section's entries. Replica r renames what must stay
// unique (groups, component types, SKEY family and end type codes, PCF types,
// configurations, IDF records, attribute names, bores, symbols) and keeps the
// shape: component types list SKEYs and generic SKEYs, default end
// preparation lists cover them, elbows keep the standard angle
// configurations (so they are default elbows) and the non-standard elbow
// keeps its own geometry, attribute families stay families. Replica 0 is the
// sample itself, so every key of the sample exists at every size.
//
// Two-character SKEY codes of the replicas are drawn, in a fixed order, from
// pairs of upper-case letters: first ASCII, then Latin, Greek and Cyrillic
// capitals, so larger catalogues also carry non-ASCII SKEYs.

#include <cstddef>
#include <string>

namespace pipedex::bench {

// The catalogue text with `replicas` copies of the sample's entries (1 = the
// sample alone, re-indented). Throws std::runtime_error when the sample cannot be read.
std::string GenerateCatalogue(const std::string& samplePath, std::size_t replicas);

// The number of replicas that makes the catalogue about `targetBytes` long.
std::size_t ReplicasForSize(const std::string& samplePath, std::size_t targetBytes);

// A project overlay of about `targetBytes` for a catalogue of `replicas`
// replicas: new groups and component types, SKEYs added to existing component
// types, moves between groups, SKEY definitions and bore rows that replace
// existing ones.
std::string GenerateOverlay(std::size_t replicas, std::size_t targetBytes);

// The SKEY code (two characters) that replica `replica` uses in place of the
// sample's code `code` (such as "EL" or "BW"); `code` itself for replica 0.
std::string ReplicaCode(const std::string& samplePath, std::size_t replica, const std::string& code);

}  // namespace pipedex::bench
