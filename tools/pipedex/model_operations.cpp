#include "operation_table.h"

namespace pipedex::cli {

void RegisterModelOperations(OperationTable& /*table*/) {}

}  // namespace pipedex::cli
