#include "app/Subcommands.h"

namespace led {

// Later tools add a (name, register, run) row here.
void AddSubcommands(CLI::App& app) {}

int RunSubcommand(CLI::App& app, const Settings& settings) { return -1; }

}  // namespace led
