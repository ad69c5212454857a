// The transfer commands of a control session: announces, file data, the
// complete commands and the update package.

#include <spdlog/spdlog.h>

#include <string>
#include <string_view>

#include "core/Player.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "net/Install.h"
#include "net/Manifest.h"
#include "net/Transfer.h"
#include "platform/net/Socket.h"

namespace led {
namespace {

constexpr uint8_t kUpdateManifest = 30, kTypedManifest = 59;
constexpr uint8_t kTypedData = 60;
constexpr uint8_t kProgramsComplete = 13, kProgramsCompleteQuiet = 25;
constexpr uint16_t kUpdaterPort = 5003;  // the update program beside the player

// Only TCP sessions carry a transfer; anything else has nothing to act on.
TransferContext* ContextOf(Request& r) {
    if (!r.transfer) spdlog::warn("control {}: no transfer in this session", int(r.code));
    return r.transfer;
}

// Before a firmware file: the directories are emptied of an earlier one, and
// the ones in use are kept for the firmware update to put back.
void PrepareFirmwareTransfer(Player& player, TransferContext& t, const TransferDirs& dirs) {
    if (!t.beforeFirmware) t.beforeFirmware.emplace(t.type, t.dirs);
    for (const std::string& dir : {dirs.receiving, dirs.final, dirs.playlist})
        player.fs.RemoveTree(dir);
    player.fs.Remove("\\nand\\fpgafile.upr");
}

}  // namespace

void OnTransferAnnounce(Request& r) {
    TransferContext* t = ContextOf(r);
    if (!t) return;
    Player& player = r.player;
    if (t->cleanup && t->cleanup->Running()) {
        t->cleanup->Stop();
        player.SleepOrStop(1000);
    }
    const auto storage = player.Storage();
    const std::string xml(r.payload.begin(), r.payload.end());
    if (!player.fs.WriteText(storage->paths.manifest, xml))
        spdlog::warn("transfer: {} cannot be written", storage->paths.manifest);
    auto manifest = ParseManifest(xml);
    if (!manifest) {
        // No answer: the tool times out on it.
        spdlog::warn("transfer from {}: the manifest does not read ({} bytes)", r.peer.ToString(),
                     r.payload.size());
        t->manifest.reset();
        t->name.clear();
        return;
    }
    int type = 0;
    if (r.code == kUpdateManifest) type = 1;
    if (r.code == kTypedManifest) type = manifest->type;
    TransferDirs dirs = DirectoriesOfType(storage->paths, type);
    if (r.code == kTypedManifest) {
        if (type == kFirmwareType) PrepareFirmwareTransfer(player, *t, dirs);
        for (const std::string& dir : {dirs.receiving, dirs.final, dirs.playlist})
            if (!dir.empty()) CreateDirectories(player.fs, dir);
    } else {
        CreateDirectories(player.fs, dirs.receiving);
    }
    t->manifest = manifest;
    t->type = type;
    t->dirs = dirs;
    t->updateFile = r.code == kUpdateManifest || (r.code == kTypedManifest && IsUpdateType(type));

    Answer answer;
    auto name = PlainFileName(manifest->filename);
    if (!name) {
        spdlog::warn("transfer from {}: file name \"{}\" refused", r.peer.ToString(),
                     manifest->filename.substr(0, 300));
        t->name.clear();
        answer.verdict = Verdict::SpaceUnknown;
    } else {
        t->name = *name;
        answer = DecideAnswer(player.fs, dirs, *name, *manifest, t->updateFile);
        if (r.code == kTypedManifest)
            if (auto space =
                    SpaceVerdict(player.fs.SpaceOf(storage->paths.root), manifest->filelen))
                answer.verdict = *space;
    }
    t->answeredLength = answer.filelen;
    t->answered = answer.verdict;
    auto reply = AnswerManifest(xml, answer.filelen, int(answer.verdict)).value_or(xml);
    player.fs.WriteText(storage->paths.manifest, reply);
    player.events.Emit("transfer-announce", {{"code", int(r.code)},
                                             {"file", t->name},
                                             {"type", type},
                                             {"filelen", answer.filelen},
                                             {"ifok", int(answer.verdict)}});
    r.Data(reply);
    if (!t->updateFile && t->pcTool) {
        // The schedulers leave playback alone until the upload completes or
        // the tool goes away.
        player.network.uploadInProgress = true;
        player.playback.hold.suspend[0] = 1;
        player.playback.hold.suspend[1] = 1;
        player.transferStatus.ShowIcons(player.output.display.get(),
                                        player.settings.statusIcons == 1,
                                        {kIconSpinner0, kIconReceiving});
    }
}

void OnTransferData(Request& r) {
    const uint64_t length = r.length;
    TransferContext* t = r.transfer;
    if (!r.stream) return;
    auto drain = [&] { DrainBody(*r.stream, length + 2); };
    if (!t || !t->manifest || t->manifest->filelen == 0) return drain();
    if (t->name.empty()) {
        // A refused name writes nothing anywhere.
        spdlog::warn("transfer: {} bytes dropped, no usable name announced", length);
        r.player.events.Emit(
            "upload",
            {{"file", t->name}, {"bytes", 0}, {"resumedFrom", 0}, {"verdict", "refused"}});
        return drain();
    }
    // An answer of filelen 0 asked for the whole file: whatever an earlier
    // attempt left is written over, never appended to.
    const bool truncate = t->manifest->ifoverwrite != 0 || t->answeredLength == 0;
    std::span<uint8_t> block;
    if (r.code == kTypedData) {
        if (t->block.empty()) t->block.resize(kTransferBlockBytes);
        block = t->block;
    }
    const std::string path = JoinBoardPath(t->dirs.receiving, t->name);
    Player& player = r.player;
    const bool icons = player.settings.statusIcons == 1 && !t->updateFile;
    auto spin = [&player, icons] {
        player.transferStatus.Spin(player.output.display.get(), icons);
    };
    ReceiveResult got = ReceiveFileData(player.fs, path, truncate, length, *r.stream, block, spin,
                                        r.code == kTypedData ? 100 : 200);
    const char* verdict = "complete";
    switch (got.result) {
        case Received::Complete: break;
        case Received::SessionEnded:
            verdict = got.written == length ? "complete" : "partial";
            break;
        case Received::WriteFailed: verdict = "write-failed"; break;
        case Received::NotOpened: verdict = "not-opened"; break;
    }
    if (got.result == Received::WriteFailed || got.result == Received::NotOpened) {
        t->failedFiles.push_back(t->name);
        spdlog::warn("transfer: {} was not written whole ({} of {} bytes)", path, got.written,
                     length);
    }
    r.player.events.Emit("upload", {{"file", t->name},
                                    {"bytes", got.written},
                                    {"resumedFrom", got.resumedFrom},
                                    {"verdict", verdict}});
    if (got.result == Received::SessionEnded && got.written != length) {
        // The tool is gone in the middle of a file: say so on the screen
        // for 2 s ("overtime" when it fell silent).
        Display* display = player.output.display.get();
        if (std::string_view(r.stream->EndReason()) == "silence")
            player.transferStatus.ShowText(display, icons, "overtime");
        else
            player.transferStatus.ShowIcons(display, icons, {kIconFailed});
        player.SleepOrStop(2000);
        player.transferStatus.Clear();
    }
}

void OnTransferComplete(Request& r) {
    r.Ack10();
    TransferContext* t = ContextOf(r);
    if (!t) return;
    if (r.code == kProgramsComplete || r.code == kProgramsCompleteQuiet) {
        InstallPrograms(r.player, *t, r.code == kProgramsCompleteQuiet);
    } else {
        InstallFonts(r.player, *t, r.payload);
    }
}

void OnUnpackUpdate(Request& r) {
    r.Ack();
    r.Pause(100);
    TransferContext* t = ContextOf(r);
    if (!t || !t->manifest || !t->updateFile || t->name.empty()) {
        spdlog::warn("control 32: no update file announced");
        return;
    }
    auto names = UnpackUpdatePackage(r.player.fs, t->name);
    r.player.events.Emit("update-unpacked", {{"package", t->name}, {"entries", names}});
    std::string error;
    Socket updater = UdpBind("127.0.0.1", 0, error);
    if (updater.IsOpen())
        SendTo(updater, r.raw, {0x7F000001, kUpdaterPort});
    else
        spdlog::warn("control 32: no socket for the update program: {}", error);
    r.Pause(100);
}
}  // namespace led
