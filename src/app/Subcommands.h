#pragma once
// The tools built into the player binary (inspect-playlist, effect-sheet, ...).
// Each registers its CLI11 subcommand here and runs when chosen.

#include <CLI/CLI.hpp>

#include "platform/config/Settings.h"

namespace led {

void AddSubcommands(CLI::App& app);
// The exit status of the chosen subcommand, or -1 when none was chosen.
int RunSubcommand(CLI::App& app, const Settings& settings);

}  // namespace led
