#include "app/Subcommands.h"

#include <iostream>

#include "app/InspectPlaylist.h"

namespace led {
namespace {

// One row per tool: its name, its help, the options it declares and how it
// runs. Options are declared unbound and read back after parsing, so no state
// outlives the parse.
struct SubcommandRow {
    const char* name;
    const char* help;
    void (*declare)(CLI::App& sub);
    int (*run)(const CLI::App& sub, const Settings& settings);
};

// The option's value when given on the command line, else `fallback`.
std::string Given(const CLI::App& sub, const std::string& name, std::string fallback) {
    const CLI::Option* option = sub.get_option_no_throw(name);
    return option && option->count() ? option->as<std::string>() : std::move(fallback);
}

void DeclareInspectPlaylist(CLI::App& sub) {
    sub.add_option("file", "The playlist to read (it is not changed)")->required();
    sub.add_option("--run-mode", "flash or sd: the video directory media paths land in")
        ->check(CLI::IsMember({"flash", "sd"}));
    sub.add_option("--player-type", "J7, J7-C, J7-L, J7-S, J7-A, J6, J6-C, J6-S (default J7)");
    sub.add_option("--display", "Display size WxH (default 1920x1080)");
    sub.add_option("--today", "Today's date YYYY-MM-DD for default schedule dates");
}

int RunInspectPlaylist(const CLI::App& sub, const Settings&) {
    InspectPlaylistOptions o;
    o.file = Given(sub, "file", "");
    o.runMode = Given(sub, "--run-mode", o.runMode);
    o.playerType = Given(sub, "--player-type", o.playerType);
    o.display = Given(sub, "--display", o.display);
    o.today = Given(sub, "--today", o.today);
    return InspectPlaylist(o, std::cout, std::cerr);
}

constexpr SubcommandRow kSubcommands[] = {
    {"inspect-playlist", "Read a playlist and print it as JSON", DeclareInspectPlaylist,
     RunInspectPlaylist},
};

}  // namespace

void AddSubcommands(CLI::App& app) {
    for (const SubcommandRow& row : kSubcommands)
        row.declare(*app.add_subcommand(row.name, row.help));
}

int RunSubcommand(CLI::App& app, const Settings& settings) {
    for (const SubcommandRow& row : kSubcommands)
        if (const CLI::App* sub = app.get_subcommand(row.name); sub->parsed())
            return row.run(*sub, settings);
    return -1;
}

}  // namespace led
