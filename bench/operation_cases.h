#pragma once

// Every operation of the batch protocol's table as one benchmark case (or a
// few, one per search variant): a representative call of the member on a warm
// instance and, for the questions the component answers from an index, the
// XPath a client without the component would evaluate on the catalogue
// document for the same question.
//
// The arguments are keys of the sample catalogue, which every generated
// catalogue contains unchanged, so the same calls run at every size.

#include <functional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "pipedex/pipedex.h"

namespace pipedex::bench {

enum class CaseKind {
  Keyed,         // answered from an index: < 1 us, flat, >= 50x the XPath baseline
  XPathPerCall,  // evaluates an XPath per call: < 5 us on the sample catalogue
  Other,         // everything else (scans the goals allow, conversions, node results)
};

struct OperationCase {
  std::string name;  // the operation, with the search variant in brackets
  CaseKind kind;
  std::function<void(Pipedex&)> call;
  // The direct-XPath answer on the catalogue's root element; empty when none.
  std::function<void(pugi::xml_node)> baseline;
};

// Operations that only read (and replace result lists); an operation of the
// table without a case of its own gets one with neutral arguments. Operations
// that change the catalogue or touch files are measured separately.
std::vector<OperationCase> ReadOperationCases();

// Restores every result list to the whole catalogue, so that each case starts
// from the state a fresh instance has.
void ResetResultLists(Pipedex& p);

}  // namespace pipedex::bench
