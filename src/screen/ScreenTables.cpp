#include "screen/ScreenTables.h"

#include <spdlog/spdlog.h>

namespace led {

void LoadScreenTables(Player&) { spdlog::debug("screen tables: not part of this build yet"); }

}  // namespace led
