// Enumerating the catalogue: read a count, then the items 1 to the count.
// Where a kind has a search, the search comes first and fills the list that
// the count and the getter then read.
#include <cstdint>
#include <iostream>
#include <pipedex/pipedex.h>

int main() {
  pipedex::Pipedex catalogue;

  // Whole sections: groups, end preparations, configurations.
  std::cout << "Groups:";
  for (std::int32_t i = 1; i <= catalogue.GroupCount(); ++i) std::cout << " " << catalogue.GetGroup(i);
  std::cout << "\nEnd preparations:";
  for (std::int32_t i = 1; i <= catalogue.EndPrepCount(); ++i) std::cout << " " << catalogue.GetEndPrep(i);
  std::cout << "\n";

  // Component types of one group (an empty SearchText means all of them).
  std::int32_t found = catalogue.FindComponentTypes("Elbows", "SKEY", "");
  std::cout << "Elbows: " << found << " component types\n";
  for (std::int32_t i = 1; i <= catalogue.ComponentTypeCount(); ++i)
    std::cout << "  " << catalogue.GetComponentType(i) << "\n";

  // Component types that carry an SKEY: TEBW ends in a flagged end
  // preparation, so the generic TE** is searched first.
  found = catalogue.FindComponentTypes("", "SKEY", "TEBW");
  std::cout << "Carry TEBW:";
  for (std::int32_t i = 1; i <= found; ++i) std::cout << " " << catalogue.GetComponentType(i);
  std::cout << "\n";

  // The SKEYs of one component type.
  found = catalogue.FindSKEYs("Olet-Weld");
  std::cout << "SKEYs of Olet-Weld:";
  for (std::int32_t i = 1; i <= found; ++i) std::cout << " " << catalogue.GetSKEY(i);
  std::cout << "\n";

  // The operations of one component type, by name and by value.
  found = catalogue.FindOperations("Pipe-Nipple");
  for (std::int32_t i = 1; i <= found; ++i) {
    std::string name = catalogue.GetOperation(i);
    std::cout << "Pipe-Nipple supports " << name << " (" << catalogue.OperationStringToEnum(name) << ")\n";
  }

  // PCF types that fit an SKEY and an IDF record number.
  found = catalogue.FindPCFTYPEs("ELBW", 105);
  std::cout << "PCF types for ELBW in record 105:";
  for (std::int32_t i = 1; i <= found; ++i) std::cout << " " << catalogue.GetPCFTYPE(i);
  std::cout << "\n";
  return 0;
}
