#include "Cli.h"

namespace ledctl {
void AddTransferCommands(Commands&) {}
}  // namespace ledctl
