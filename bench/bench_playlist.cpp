// The playlist reader on 1000 programs x 4 areas x 10 items, against tinyxml2
// parsing the same file alone. Each iteration times both, one after the other,
// so the ratio is taken under the same machine load.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/fs/DeviceFs.h"
#include "program/PlaylistReader.h"
#include "storage/RunMode.h"

namespace {

using namespace led;
namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;

std::string MakePlaylist(int programs, int areas, int items) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><screens>"
        "<screen w=\"1920\" h=\"1080\"><programs>\n";
    for (int p = 0; p < programs; ++p) {
        xml += "<program id=\"" + std::to_string(p) +
               "\">\n<playtime>10</playtime>"
               "<playtimes>1</playtimes><waitfinish>0</waitfinish>\n"
               "<schedule priority=\"0\"><weekday>0123456</weekday><begindate>2026-1-1</begindate>"
               "<enddate>2036-1-1</enddate><time id=\"0\"><begintime>08:00:00</begintime>"
               "<endtime>20:00:00</endtime></time></schedule>\n";
        for (int a = 0; a < areas; ++a) {
            xml += "<area id=\"" + std::to_string(a) + "\" x=\"" + std::to_string(a * 480) +
                   "\" y=\"0\" w=\"480\" h=\"540\" type=\"4\">\n<name>pictures</name>"
                   "<background mode=\"0\"><color>000000</color></background>\n";
            for (int i = 0; i < items; ++i)
                xml += "<filename id=\"" + std::to_string(i) + "\"><filepath>C:\\media\\program" +
                       std::to_string(p) + "\\picture" + std::to_string(i) +
                       ".bmp</filepath><effect_in>" + std::to_string(i % 40) +
                       "</effect_in><movespeed_in>5</movespeed_in><movespeed_out>5</movespeed_out>"
                       "<remain>3000</remain><effect_out>0</effect_out></filename>\n";
            xml += "</area>\n";
        }
        xml += "</program>\n";
    }
    return xml + "</programs></screen></screens></root>\n";
}

// A device root holding the playlist, made once for the whole run.
struct BenchRoot {
    BenchRoot() {
        std::random_device random;
        root = fs::temp_directory_path() / ("ledplayer-bench-" + std::to_string(random()));
        fs::create_directories(root / "nand");
        fs::create_directories(root / "Storage Card" / "xml");
        hostPath = root / "Storage Card" / "xml" / "playlist.xml";
        std::ofstream(hostPath, std::ios::binary) << MakePlaylist(1000, 4, 10);
    }
    ~BenchRoot() { fs::remove_all(root); }
    fs::path root;
    fs::path hostPath;
    std::string boardPath = BuildStoragePaths(RunMode::Flash).playlist;
};

const BenchRoot& Root() {
    static const BenchRoot root;
    return root;
}

double BareParse(const fs::path& file) {
    auto start = std::chrono::steady_clock::now();
    {
        tinyxml2::XMLDocument doc;
        benchmark::DoNotOptimize(doc.LoadFile(file.c_str()));
    }
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

void BM_TinyXml2Parse(benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(BareParse(Root().hostPath));
}
BENCHMARK(BM_TinyXml2Parse)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ReadPlaylist(benchmark::State& state) {
    const BenchRoot& root = Root();
    DeviceFs device(root.root);
    PlaylistEnvironment env{device,       "\\Storage Card\\video\\", PlayerType{},
                            {1920, 1080}, LocalTime{2026, 3, 5},     1080};
    double reader = 0, parse = 0;
    size_t programs = 0;
    for (auto _ : state) {
        parse += BareParse(root.hostPath);
        auto start = std::chrono::steady_clock::now();
        {
            PlaylistRead read = ReadPlaylistFile(env, root.boardPath);
            programs = read.lists ? read.lists->all.size() : 0;
        }
        double seconds = Seconds(std::chrono::steady_clock::now() - start).count();
        reader += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["programs"] = double(programs);
    state.counters["ratio_vs_parse"] = parse > 0 ? reader / parse : 0;
}
BENCHMARK(BM_ReadPlaylist)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
