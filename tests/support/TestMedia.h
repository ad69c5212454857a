#pragma once
// Small media clips made at test time with gst-launch-1.0, once per build
// tree (under <build>/test-media-v1), shared read-only by the tests.

#include <filesystem>
#include <string>

namespace led::test {

struct TestMedia {
    std::filesystem::path dir;
    // 320 x 240, 2 s, SMPTE colour bars, no sound.
    std::filesystem::path h264Mp4, mpeg2Ts;
    // 320 x 240, 2 s, colour bars with a Vorbis tone.
    std::filesystem::path vp8Webm;
    // 320 x 240, 10 frames (a third of a second).
    std::filesystem::path shortWebm;
    // 160 x 120 at 10 fps, 106 frames: 10.6 s.
    std::filesystem::path longMp4;
    // A 2 s Vorbis tone without video.
    std::filesystem::path audioOgg;
    // 64 KiB of noise, an empty file, a directory named like a clip, and a
    // name that does not exist.
    std::filesystem::path corrupt, empty, directory, missing;
};

// Makes the clips on first use. Throws std::runtime_error (with the tool's
// output) when they cannot be made.
const TestMedia& GetTestMedia();

}  // namespace led::test
