#include "operation_table.h"

namespace pipedex::cli {

void RegisterOverlayOperations(OperationTable& /*table*/) {}

}  // namespace pipedex::cli
