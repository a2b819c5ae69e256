#pragma once

// Declares nothing: the default elbows reach clients as DefaultElbowInfo,
// through Pipedex::DefaultElbows() (pipedex/pipedex.h).
