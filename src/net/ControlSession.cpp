#include "net/ControlSession.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>

#include "core/Player.h"
#include "net/CaptureCommands.h"
#include "net/Dispatch.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "net/Transfer.h"
#include "program/PlaylistReader.h"

namespace led {
namespace {

// Sends and receives wait 6 s of player time; the shutdown check runs at
// least every 200 ms of real time.
constexpr int kIoTimeoutMs = 6000;
constexpr int kShutdownSliceMs = 200;

constexpr uint8_t kTextMessageCode = 111;
constexpr uint8_t kCaptureToCameraCode = 93;

// The file-data commands stream their bytes after the head.
bool StreamsBody(uint8_t code) { return code == 9 || code == 31 || code == 60; }

class Session final : public ReplySink, public SessionStream, public Relay {
public:
    Session(Player& player, Socket socket, const Endpoint& peer, SessionMode mode,
            MediaCleanup* cleanup)
        : player_(player),
          socket_(std::move(socket)),
          peer_(peer),
          mode_(mode),
          assembler_(StreamsBody) {
        transfer_.pcTool = mode == SessionMode::PcTool;
        transfer_.cleanup = cleanup;
        std::string error;
        relay_ = UdpBind("127.0.0.1", 0, error);
        if (relay_.IsOpen()) player_.network.AddRelayPort(relay_.LocalPort());
    }
    ~Session() override {
        if (relay_.IsOpen()) player_.network.RemoveRelayPort(relay_.LocalPort());
    }

    const char* Run() {
        lastRxTick_ = player_.clock.Ticks();
        std::array<uint8_t, kMaxPayload> chunk;
        for (;;) {
            long got = Receive(chunk);
            if (got < 0) return end_;
            if (got == 0) continue;
            assembler_.Push({chunk.data(), size_t(got)});
            while (auto frame = assembler_.Next()) {
                Handle(*frame);
                if (end_[0]) return end_;
            }
        }
    }

    // ReplySink
    bool Send(std::span<const uint8_t> bytes) override {
        return SendWithTimeout(socket_, bytes, RealMs(kIoTimeoutMs)) == long(bytes.size());
    }

    // SessionStream: first what the assembler already holds, then the socket.
    long ReadBody(std::span<uint8_t> out) override {
        if (size_t n = assembler_.TakeBody(out)) return long(n);
        return Receive(out);
    }

    const char* EndReason() const override { return end_; }

    // Relay
    void Forward(std::span<const uint8_t> frame) override {
        int port = player_.network.udpPort.load();
        if (!relay_.IsOpen() || port == 0) {
            spdlog::warn("tcp {}: no UDP server to relay code {} to", peer_.ToString(),
                         frame.size() > 2 ? int(frame[2]) : -1);
            return;
        }
        led::SendTo(relay_, frame, {0x7F000001, uint16_t(port)});
    }

private:
    int RealMs(int playerMs) const {
        return int(std::clamp<int64_t>(player_.clock.RealMilliseconds(playerMs), 1, 60000));
    }

    // One receive: bytes, 0 when nothing came within 6 s, -1 when the session
    // ends (end_ says why). Silence beyond the heartbeat limit ends it too.
    long Receive(std::span<uint8_t> buffer) {
        int64_t started = player_.clock.Ticks();
        for (;;) {
            if (player_.ShuttingDown()) return Ending("shutdown");
            long got =
                RecvWithTimeout(socket_, buffer, std::min(RealMs(kIoTimeoutMs), kShutdownSliceMs));
            if (got < 0) return Ending(got == -1 ? "peer closed" : "error");
            int64_t now = player_.clock.Ticks();
            if (got > 0) {
                lastRxTick_ = now;
                return got;
            }
            if (uint64_t(now - lastRxTick_) > player_.network.heartbeatTimeoutMs.load())
                return Ending("silence");
            if (now - started >= kIoTimeoutMs) return 0;
        }
    }

    long Ending(const char* reason) {
        end_ = reason;
        return -1;
    }

    void Handle(const FrameAssembler::Frame& frame) {
        Request request{player_,   Transport::Tcp, frame.code, frame.length, frame.payload,
                        frame.raw, peer_,          *this,      this};
        request.transfer = &transfer_;
        if (mode_ == SessionMode::Text) {
            // The text port acts on text messages only.
            if (frame.code != kTextMessageCode) return;
            OnShowTextMessage(request);
            LogControl(request, "ShowTextMessage");
        } else if (frame.code == kCaptureToCameraCode) {
            // Code 93 is the capture hook's, which runs before dispatch.
            OnCaptureToCamera(request);
            LogControl(request, "CaptureToCamera");
        } else {
            DispatchTcp(request, *this);
        }
    }

    Player& player_;
    Socket socket_;
    Endpoint peer_;
    SessionMode mode_;
    FrameAssembler assembler_;
    TransferContext transfer_;
    Socket relay_;
    int64_t lastRxTick_ = 0;
    const char* end_ = "";

public:
    SessionMode Mode() const { return mode_; }
};

const char* ModeName(SessionMode mode) {
    switch (mode) {
        case SessionMode::PcTool: return "pc-tool";
        case SessionMode::ServerLink: return "server-link";
        default: return "text";
    }
}

// An upload that a dropped connection left unfinished stopped playback:
// reload the playlist and let the schedulers go on.
void RestorePlaybackAfterUpload(Player& player) {
    spdlog::warn("control session ended during an upload: playback resumes");
    ReadPlaylist(player, player.Storage()->paths.playlist);
    player.playback.hold.suspend[0] = 0;
    player.playback.hold.suspend[1] = 0;
}

}  // namespace

void EndSessionUpload(Player& player, const char* reason) {
    auto& net = player.network;
    if (!net.uploadInProgress.load()) return;
    player.transferStatus.Clear();
    const std::string_view why = reason;
    if ((why == "peer closed" || why == "error") && net.uploadInProgress.exchange(false))
        RestorePlaybackAfterUpload(player);
}

const char* RunControlSession(Player& player, Socket socket, const Endpoint& peer, SessionMode mode,
                              MediaCleanup* cleanup) {
    auto& net = player.network;
    if (mode == SessionMode::PcTool) net.pcConnected = true;
    if (mode == SessionMode::ServerLink) net.serverConnected = true;
    player.events.Emit("session-open",
                       {{"transport", "tcp"}, {"peer", peer.ToString()}, {"mode", ModeName(mode)}});
    const char* reason = "error";
    {
        Session session(player, std::move(socket), peer, mode, cleanup);
        reason = session.Run();
    }
    if (mode == SessionMode::PcTool) net.pcConnected = false;
    if (mode == SessionMode::ServerLink) net.serverConnected = false;
    EndSessionUpload(player, reason);
    player.events.Emit("session-close",
                       {{"transport", "tcp"}, {"peer", peer.ToString()}, {"reason", reason}});
    return reason;
}

}  // namespace led
