#include "Cli.h"

namespace ledctl {
void AddSettingCommands(Commands&) {}
}  // namespace ledctl
