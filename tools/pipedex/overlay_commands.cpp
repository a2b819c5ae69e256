#include "session.h"

namespace pipedex::cli {

void AddOverlayCommands(CLI::App& /*app*/, Session& /*session*/) {}

}  // namespace pipedex::cli
