#include "support/TestMedia.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace led::test {
namespace {

namespace fs = std::filesystem;

struct Clip {
    const char* name;
    const char* pipeline;  // "%s" is the output file
};

constexpr const char* kBars320 =
    "videotestsrc pattern=smpte num-buffers=%d ! "
    "video/x-raw,format=I420,width=320,height=240,framerate=30/1";

std::string Format(const std::string& pattern, const std::string& a) {
    size_t pos = pattern.find("%s");
    return pattern.substr(0, pos) + a + pattern.substr(pos + 2);
}

std::string Bars(int frames) {
    std::string s = kBars320;
    return s.replace(s.find("%d"), 2, std::to_string(frames));
}

std::vector<std::pair<std::string, std::string>> ClipPipelines() {
    return {
        {"h264.mp4", Bars(60) + " ! openh264enc ! h264parse ! mp4mux ! filesink location=%s"},
        {"mpeg2.ts", Bars(60) + " ! mpeg2enc ! mpegvideoparse ! mpegtsmux ! filesink location=%s"},
        {"vp8.webm", "webmmux name=m ! filesink location=%s " + Bars(60) +
                         " ! vp8enc deadline=1 ! m. audiotestsrc num-buffers=87 ! audioconvert ! "
                         "vorbisenc ! m."},
        {"short.webm", Bars(10) + " ! vp8enc deadline=1 ! webmmux ! filesink location=%s"},
        {"long.mp4",
         "videotestsrc pattern=smpte num-buffers=106 ! "
         "video/x-raw,format=I420,width=160,height=120,framerate=10/1 ! openh264enc ! h264parse ! "
         "mp4mux ! filesink location=%s"},
        {"audio.ogg",
         "audiotestsrc num-buffers=87 ! audioconvert ! vorbisenc ! oggmux ! filesink location=%s"},
    };
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Make(const fs::path& dir) {
    for (const auto& [name, pipeline] : ClipPipelines()) {
        fs::path out = dir / name;
        fs::path log = dir / (name + ".log");
        std::string command = "gst-launch-1.0 -q " + Format(pipeline, "'" + out.string() + "'") +
                              " >'" + log.string() + "' 2>&1";
        if (std::system(command.c_str()) != 0 || !fs::exists(out) || fs::file_size(out) == 0)
            throw std::runtime_error("cannot make " + name + ":\n" + command + "\n" + ReadAll(log));
        fs::remove(log);
    }
    // Noise from a fixed generator: not a clip of any format.
    std::ofstream noise(dir / "corrupt.mp4", std::ios::binary);
    uint32_t x = 0x12345678;
    for (int i = 0; i < 64 * 1024; ++i) {
        x = x * 1664525u + 1013904223u;
        noise.put(char(x >> 24));
    }
    std::ofstream(dir / "empty.mp4").close();
    fs::create_directory(dir / "folder.mp4");
    std::ofstream(dir / "complete").close();
}

TestMedia Describe(const fs::path& dir) {
    TestMedia m;
    m.dir = dir;
    m.h264Mp4 = dir / "h264.mp4";
    m.mpeg2Ts = dir / "mpeg2.ts";
    m.vp8Webm = dir / "vp8.webm";
    m.shortWebm = dir / "short.webm";
    m.longMp4 = dir / "long.mp4";
    m.audioOgg = dir / "audio.ogg";
    m.corrupt = dir / "corrupt.mp4";
    m.empty = dir / "empty.mp4";
    m.directory = dir / "folder.mp4";
    m.missing = dir / "missing.mp4";
    return m;
}

TestMedia Prepare() {
    fs::path dir = fs::path(LEDPLAYER_BIN_DIR).parent_path() / "test-media-v1";
    if (fs::exists(dir / "complete")) return Describe(dir);
    // Tests run in parallel processes: each makes its own set and the first
    // to finish publishes it by renaming.
    fs::path work = dir.string() + ".tmp-" + std::to_string(getpid());
    fs::remove_all(work);
    fs::create_directories(work);
    try {
        Make(work);
    } catch (...) {
        fs::remove_all(work);
        throw;
    }
    std::error_code ec;
    fs::rename(work, dir, ec);
    if (ec) fs::remove_all(work);
    if (!fs::exists(dir / "complete")) throw std::runtime_error("test media: " + dir.string());
    return Describe(dir);
}

}  // namespace

const TestMedia& GetTestMedia() {
    static std::once_flag once;
    static TestMedia media;
    std::call_once(once, [] { media = Prepare(); });
    return media;
}

}  // namespace led::test
