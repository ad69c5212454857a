#include "support/TestPlayer.h"

#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

#include "app/AreaBodyTable.h"
#include "app/Hooks.h"

namespace led::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("ledplayer-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteHostFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::unique_ptr<Player> MakeTestPlayer(const std::filesystem::path& root, double scale) {
    Settings settings;
    settings.root = root.string();
    // Control ports: free ones on loopback, so players of parallel tests never meet.
    settings.listenAddress = "127.0.0.1";
    settings.tcpPort = settings.udpPort = settings.textPort = 0;
    auto start = LocalTime::Parse("2026-03-05 07:08:09");
    auto player = std::make_unique<Player>(settings, Clock(*start, scale), MakeHeadlessBackend());
    RegisterAreaBodies(player->areaBodies);
    FillUpperHooks(*player);
    return player;
}

void OpenMainWindow(Player& player, Size size) {
    player.output.windowSize = size;
    player.OpenDisplay(size, {});
    player.output.mainWindow = player.output.display->CreateWindow(
        "J7 Application", {0, 0, size.width, size.height}, false);
}

int CountPixels(const Surface& surface, const Rect& rect, uint32_t pixel) {
    Rect r = rect.Intersected(surface.Bounds());
    int n = 0;
    for (int y = r.y; y < r.Bottom(); ++y)
        for (int x = r.x; x < r.Right(); ++x) n += (surface.Pixel(x, y) & 0xffffff) == pixel;
    return n;
}

int CountEntries(const char* dir) {
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

}  // namespace led::test
