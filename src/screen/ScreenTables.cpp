#include "screen/ScreenTables.h"

namespace led {}  // namespace led
