// The control protocol on arbitrary bytes: the TCP frame reassembler feeding
// the dispatcher with the real handlers on a player of its own, and the same
// bytes as UDP datagrams. Seeds: tests/fuzz/corpus/control, one per code.

#include <spdlog/spdlog.h>

#include <cstdint>
#include <filesystem>
#include <random>

#include "core/Player.h"
#include "net/Command.h"
#include "net/Dispatch.h"
#include "net/Frame.h"
#include "platform/display/Backend.h"

namespace {

using namespace led;
namespace fs = std::filesystem;

struct Nowhere final : ReplySink, Relay {
    bool Send(std::span<const uint8_t>) override { return true; }
    void Forward(std::span<const uint8_t>) override {}
};

Player& FuzzPlayer() {
    static std::unique_ptr<Player> player = [] {
        spdlog::set_level(spdlog::level::off);
        std::random_device random;
        fs::path root = fs::temp_directory_path() / ("ledplayer-fuzz-control-" + std::to_string(random()));
        for (const char* dir : {"nand/table", "nand/tabletemp", "Storage Card/xml"})
            fs::create_directories(root / dir);
        Settings settings;
        settings.root = root.string();
        // Pauses after replies pass at once.
        auto start = LocalTime::Parse("2026-03-05 07:08:09");
        return std::make_unique<Player>(settings, Clock(*start, 1e6), MakeHeadlessBackend());
    }();
    return *player;
}

bool StreamsFileData(uint8_t code) { return code == 9 || code == 31 || code == 60; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Player& player = FuzzPlayer();
    Nowhere out;
    std::span<const uint8_t> bytes(data, size);

    FrameAssembler assembler(StreamsFileData);
    // Cut the stream where its first byte says, as TCP may.
    size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    for (auto part : {bytes.first(cut), bytes.subspan(cut)}) {
        assembler.Push(part);
        while (auto frame = assembler.Next()) {
            // Restarts and storage resets would end the fuzzing run's state.
            if (frame->code == 0 || frame->code == 101) continue;
            Request r{player, Transport::Tcp, frame->code, frame->length, frame->payload, frame->raw, {}, out};
            DispatchTcp(r, out);
        }
    }
    if (size >= kFrameHead && data[0] == '*' && data[1] == '#' && data[2] != 0 && data[2] != 101) {
        uint32_t length = ReadLe32(data + 3);
        if (length > kMaxPayload) length = 0;
        size_t present = std::min<size_t>(length, size - kFrameHead);
        Request r{player, Transport::Udp, data[2], length, bytes.subspan(kFrameHead, present), bytes, {}, out};
        DispatchUdp(r);
    }
    return 0;
}
