#include "session.h"

namespace pipedex::cli {

void AddQueryCommands(CLI::App& /*app*/, Session& /*session*/) {}

}  // namespace pipedex::cli
