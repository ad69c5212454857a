#include "app/Subcommands.h"

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <iostream>

#include "app/EffectSheet.h"
#include "app/PlaylistReport.h"
#include "app/ScheduleReport.h"
#include "app/TokenTools.h"

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
    // stdout carries the JSON document alone; the reader's log goes to stderr.
    spdlog::set_default_logger(spdlog::stderr_color_mt("inspect-playlist"));
    InspectPlaylistOptions o;
    o.file = Given(sub, "file", "");
    o.runMode = Given(sub, "--run-mode", o.runMode);
    o.playerType = Given(sub, "--player-type", o.playerType);
    o.display = Given(sub, "--display", o.display);
    o.today = Given(sub, "--today", o.today);
    return InspectPlaylist(o, std::cout, std::cerr);
}

void DeclareEffectSheet(CLI::App& sub) {
    const CLI::TypeValidator<int> integer;
    sub.add_option("number", "Effect number (0 to 108; the others draw plainly)")
        ->required()
        ->check(integer);
    sub.add_option("--picture", "Picture file (BMP, JPEG or PNG)")->required();
    sub.add_option("--size", "Area size WxH")->required();
    sub.add_option("--mode", "show or erase (default show)");
    sub.add_option("--background", "Background colour RRGGBB (default 000000)");
    sub.add_option("--old", "Picture the area shows before the effect");
    sub.add_option("--frames", "Frames on the sheet (default 16)")->check(integer);
    sub.add_option("--speed", "Item speed (default 1: 1 ms per frame)")->check(integer);
    sub.add_option("--out", "Contact sheet PNG to write")->required();
}

int RunEffectSheet(const CLI::App& sub, const Settings&) {
    EffectSheetOptions o;
    o.number = std::stoi(Given(sub, "number", "0"));
    o.picture = Given(sub, "--picture", "");
    o.size = Given(sub, "--size", "");
    o.mode = Given(sub, "--mode", o.mode);
    o.background = Given(sub, "--background", o.background);
    o.old = Given(sub, "--old", "");
    o.frames = std::stoi(Given(sub, "--frames", std::to_string(o.frames)));
    o.speed = std::stoi(Given(sub, "--speed", std::to_string(o.speed)));
    o.out = Given(sub, "--out", "");
    return EffectSheet(o, std::cout, std::cerr);
}

void DeclareInspectSchedules(CLI::App& sub) {
    sub.add_option("--day", "The day to print, YYYY-MM-DD")->required();
    sub.add_option("--root", "Device root holding nand\\table (default: the configured root)");
    sub.add_option("--light", "Light-sensor reading assumed all day (0..4096)")
        ->check(CLI::Range(0, 4096));
}

int RunInspectSchedules(const CLI::App& sub, const Settings& settings) {
    spdlog::set_default_logger(spdlog::stderr_color_mt("inspect-schedules"));
    InspectSchedulesOptions o;
    o.root = Given(sub, "--root", settings.root);
    o.day = Given(sub, "--day", "");
    if (auto light = Given(sub, "--light", ""); !light.empty()) o.light = std::stoi(light);
    return InspectSchedules(o, std::cout, std::cerr);
}

void DeclareExpandTokens(CLI::App& sub) {
    sub.add_option("--area",
                   "Area type: 13 clock, 17 countdown, 14 temperature, 15 humidity, 16 noise")
        ->check(CLI::TypeValidator<int>());
    sub.add_option("--format", "Template text holding the tokens")->required();
    sub.add_option("--at", "\"YYYY-MM-DD HH:MM:SS\", or - for one such time per line on stdin");
    sub.add_option("--differ", "Time difference TYPE,D,H,M,S (type 0 subtracts)");
    sub.add_option("--weeknames", "Seven weekday names for %E, Sunday first, comma-separated");
    sub.add_option("--arrival", "Countdown arrival Y,MO,D,H,MI,S");
    sub.add_option("--value", "Sensor areas: the reading (default 0)");
    sub.add_option("--valid", "Sensor areas: 1 the reading is valid (default), 0 shows N/A");
    sub.add_option("--error", "Sensor areas: the correction added to the reading (default 0)");
    sub.add_option("--precision", "Sensor areas: 1 or 2 decimals, anything else none (default 0)");
}

int RunExpandTokens(const CLI::App& sub, const Settings& settings) {
    spdlog::set_default_logger(spdlog::stderr_color_mt("expand-tokens"));
    ExpandTokensOptions o;
    o.area = std::stoi(Given(sub, "--area", "13"));
    o.format = Given(sub, "--format", "");
    o.at = Given(sub, "--at", "");
    o.differ = Given(sub, "--differ", "");
    o.weeknames = Given(sub, "--weeknames", "");
    o.arrival = Given(sub, "--arrival", "");
    o.value = Given(sub, "--value", "");
    o.valid = Given(sub, "--valid", "");
    o.error = Given(sub, "--error", "");
    o.precision = Given(sub, "--precision", "");
    return ExpandTokensTool(o, settings, std::cin, std::cout, std::cerr);
}

void DeclareReadRtf(CLI::App& sub) {
    sub.add_option("file", "The rich text file to read")->required();
}

int RunReadRtf(const CLI::App& sub, const Settings&) {
    spdlog::set_default_logger(spdlog::stderr_color_mt("read-rtf"));
    return ReadRtfTool(Given(sub, "file", ""), std::cout, std::cerr);
}

constexpr SubcommandRow kSubcommands[] = {
    {"inspect-playlist", "Read a playlist and print it as JSON", DeclareInspectPlaylist,
     RunInspectPlaylist},
    {"effect-sheet", "Render a transition effect as a contact sheet", DeclareEffectSheet,
     RunEffectSheet},
    {"inspect-schedules", "Print a day of the brightness, power, volume and relay schedules",
     DeclareInspectSchedules, RunInspectSchedules},
    {"expand-tokens", "Expand a clock, countdown or sensor template's tokens", DeclareExpandTokens,
     RunExpandTokens},
    {"read-rtf", "Read a rich text template and print its runs as JSON", DeclareReadRtf,
     RunReadRtf},
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
