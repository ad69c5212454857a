// ledplayer: the playback controller of a full-colour LED screen.

#include <spdlog/spdlog.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <map>

#include "app/Startup.h"
#include "app/Subcommands.h"
#include "core/Player.h"
#include "net/Command.h"
#include "platform/config/Settings.h"

namespace {

using namespace led;

int RunPlayerProcess(const Settings& settings) {
    spdlog::set_level(spdlog::level::from_str(settings.logLevel));
    std::optional<Clock> clock;
    if (!settings.clockStart.empty()) {
        auto start = LocalTime::Parse(settings.clockStart);
        if (!start) {
            std::cerr << "ledplayer: --clock-start wants \"YYYY-MM-DD HH:MM:SS\"\n";
            return 2;
        }
        clock.emplace(*start, settings.timeScale);
    } else if (settings.timeScale != 1.0) {
        clock.emplace(Clock().Now(), settings.timeScale);
    } else {
        clock.emplace();
    }
    std::string error;
    auto backend = MakeBackend(settings.backend, error);
    if (!backend) {
        std::cerr << "ledplayer: " << error << "\n";
        return 2;
    }
    Player player(settings, std::move(*clock), std::move(backend));
    if (!settings.eventsFile.empty() && !player.events.Open(settings.eventsFile)) {
        std::cerr << "ledplayer: cannot write " << settings.eventsFile << "\n";
        return 2;
    }
    StartRunHelpers(player);
    if (!StartUp(player)) return 0;  // the board returns 0 when its window cannot be made
    return RunMessageLoop(player);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"ledplayer: playback controller of a full-colour LED screen"};
    app.set_help_all_flag("--help-all", "All subcommands' help");

    std::string configFile = "ledplayer.conf";
    bool configGiven = false;
    app.add_option_function<std::string>(
        "--config", [&](const std::string& f) { configFile = f, configGiven = true; },
        "Settings file (INI); default ./ledplayer.conf when it exists");
    std::vector<std::string> sets;
    app.add_option("--set", sets, "Set any key: --set section.key=value (repeatable)");
    bool helpConfig = false;
    app.add_flag("--help-config", helpConfig, "Print every configuration key as a Markdown table");
    bool helpCommands = false;
    app.add_flag(
        "--help-commands", helpCommands,
        "Print the control protocol's command codes (TCP 5002, UDP 5001) as a Markdown table");

    std::map<std::string, std::string> flagValues;
    for (const auto& option : Options()) {
        if (option.flag.empty()) continue;
        app.add_option_function<std::string>(
            option.flag,
            [&flagValues, key = option.key](const std::string& v) { flagValues[key] = v; },
            option.help + " [" + option.key + "]");
    }

    AddSubcommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (helpConfig) {
        std::cout << OptionsMarkdown();
        return 0;
    }
    if (helpCommands) {
        std::cout << CommandsMarkdown();
        return 0;
    }

    Settings settings;
    std::vector<std::string> errors;
    if (configGiven || std::filesystem::exists(configFile)) {
        if (!LoadSettingsFile(configFile, settings, errors)) {
            std::cerr << "ledplayer: cannot read " << configFile << "\n";
            return 2;
        }
    }
    for (const auto& [key, value] : flagValues) {
        std::string error;
        if (!ApplySetting(settings, key, value, error)) errors.push_back(error);
    }
    for (const auto& kv : sets) {
        auto eq = kv.find('=');
        std::string error;
        if (eq == std::string::npos)
            errors.push_back("--set wants key=value, got \"" + kv + "\"");
        else if (!ApplySetting(settings, kv.substr(0, eq), kv.substr(eq + 1), error))
            errors.push_back(error);
    }
    if (!errors.empty()) {
        for (const auto& e : errors) std::cerr << "ledplayer: " << e << "\n";
        return 2;
    }
    if (int status = RunSubcommand(app, settings); status >= 0) return status;
    return RunPlayerProcess(settings);
}
