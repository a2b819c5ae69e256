#include "session.h"

namespace pipedex::cli {

void AddModelCommands(CLI::App& /*app*/, Session& /*session*/) {}

}  // namespace pipedex::cli
