#include "session.h"

namespace pipedex::cli {

void AddRuleCommands(CLI::App& /*app*/, Session& /*session*/) {}

}  // namespace pipedex::cli
