#pragma once
// Runs the real ledplayer binary on a temporary device root and reads back
// its events log.

#include <sys/types.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace led::test {

struct PlayerRun {
    int exitStatus = -1;
    std::vector<nlohmann::json> events;
    std::string output;  // stdout and stderr

    std::vector<nlohmann::json> Events(const std::string& name) const;
};

// Starts build/bin/ledplayer in the background on `root` with its events log
// and output beside the root (EventsPathOf, OutputPathOf), headless, on free
// loopback control ports, plus `args`; -1 when it cannot start.
pid_t SpawnPlayer(const std::filesystem::path& root, const std::vector<std::string>& args,
                  const std::string& logLevel, const std::filesystem::path& workingDir = {});
std::filesystem::path EventsPathOf(const std::filesystem::path& root);
std::filesystem::path OutputPathOf(const std::filesystem::path& root);
// Player seconds since midnight of an event's "YYYY-MM-DD HH:MM:SS.mmm" time.
double SecondOfDay(const nlohmann::json& event);

// Runs build/bin/ledplayer with --root, --events, --backend headless and the
// extra arguments, in `workingDir` when one is given; kills it after
// `timeoutSeconds` of real time.
PlayerRun RunPlayer(const std::filesystem::path& root, const std::vector<std::string>& args,
                    int timeoutSeconds = 120, const std::filesystem::path& workingDir = {});

// A program of the demo's shape for playlists written by tests.
struct TestProgram {
    std::string id;
    int playtime = 10;
    int waitfinish = 0;
    int playtimes = 1;
    int priority = 0;
    int osd = -1;
    std::string windows = {};             // "<time ...>" elements, empty for the all-day default
    std::vector<std::string> areas = {};  // "<area ...>...</area>" elements
};

std::string PlaylistXml(const std::vector<TestProgram>& programs);
// An area of the given type with `items` picture items.
std::string AreaXml(int type, int items, int x = 0, int y = 0, int w = 64, int h = 32);

// A device root with the built-in flash volume and the Flash storage volume,
// the playlist in place and ver.dat present (not a first start).
void MakeDeviceRoot(const std::filesystem::path& root, const std::string& playlistXml);

}  // namespace led::test
