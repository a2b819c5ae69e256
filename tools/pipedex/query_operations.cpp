#include "operation_table.h"

namespace pipedex::cli {

void RegisterQueryOperations(OperationTable& /*table*/) {}

}  // namespace pipedex::cli
