// The playlist reader, the inserted-program remover and the JSON printer of
// inspect-playlist on arbitrary bytes. Inputs that once crashed are kept in
// regressions/playlist/ and replayed by the unit tests.

#include <spdlog/spdlog.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "app/PlaylistReport.h"
#include "platform/fs/DeviceFs.h"
#include "program/PlaylistFile.h"
#include "program/PlaylistReader.h"
#include "storage/RunMode.h"

namespace {

using namespace led;
namespace fs = std::filesystem;

struct FuzzRoot {
    FuzzRoot() {
        std::random_device random;
        path = fs::temp_directory_path() / ("ledplayer-fuzz-" + std::to_string(random()));
        for (const char* dir : {"nand", "Storage Card/xml", "Storage Card 1_0/xml"})
            fs::create_directories(path / dir);
    }
    ~FuzzRoot() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    spdlog::set_level(spdlog::level::off);  // every malformed input would log
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzRoot root;
    static const char* const kTypes[] = {"J7", "J6-C", "J7-S"};
    DeviceFs device(root.path);
    // The size picks the run mode and the player type, so one input runs one
    // configuration and a mutation that adds a byte tries the next.
    StoragePaths paths = BuildStoragePaths(size % 2 ? RunMode::SdCard : RunMode::Flash);
    if (!device.WriteFile(paths.playlist, data, size)) return 0;
    RemoveInsertedPrograms(device, paths.playlist);
    PlaylistEnvironment env{device,
                            paths.video,
                            *PlayerTypeFromText(kTypes[size % 3]),
                            {1920, 1080},
                            LocalTime{2026, 2, 29},
                            1080};
    PlaylistRead read = ReadPlaylistFile(env, paths.playlist);
    std::ostringstream json;
    WritePlaylistJson(read, json);
    return 0;
}
