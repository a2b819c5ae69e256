#include "operation_table.h"

namespace pipedex::cli {

void RegisterRuleOperations(OperationTable& /*table*/) {}

}  // namespace pipedex::cli
