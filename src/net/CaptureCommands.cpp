// The commands that look at the screen itself: captures for the tool, the
// test patterns and the point test picture.

#include "net/CaptureCommands.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/Player.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "program/TestPatternControl.h"

namespace led {
namespace {

constexpr const char* kPointTestUploads = "\\Storage Card\\table\\test";
constexpr size_t kDownloadPiece = 1024;
constexpr uint8_t kDownloadSelectorCapture = 4;

bool RefreshCaptureFile(Request& r) {
    if (!r.player.hooks.captureScreenFile) {
        spdlog::info("control {}: screen captures are not available", int(r.code));
        return false;
    }
    return r.player.hooks.captureScreenFile();
}

}  // namespace

void OnCaptureToCamera(Request& r) {
    if (!r.player.hooks.captureToCamera) {
        spdlog::info("control 93: captures to \\NAND\\Camera are not available");
        return;
    }
    r.player.hooks.captureToCamera();
}

void OnCaptureScreen(Request& r) { RefreshCaptureFile(r); }

// A fresh capture, announced by an 8-byte head ("*#", the code, the bytes
// that follow, the flag) and sent in pieces without an end marker. With a
// first byte other than 0 the sending starts at the offset of bytes 2..5.
void OnDownloadFile(Request& r) {
    if (r.Byte(1) != kDownloadSelectorCapture) {
        spdlog::info("control 151: selector {} is not served", int(r.Byte(1)));
        return;
    }
    RefreshCaptureFile(r);
    auto file = r.player.fs.ReadFile(kCaptureFile);
    if (!file) {
        spdlog::warn("control 151: {} cannot be read", kCaptureFile);
        return;
    }
    const bool partial = r.Byte(0) != 0;
    uint64_t offset = 0;
    if (partial) offset = ReadLe32(std::array{r.Byte(2), r.Byte(3), r.Byte(4), r.Byte(5)}.data());
    // An offset at or past the end announces nothing to follow, not a
    // count that wrapped around.
    offset = std::min<uint64_t>(offset, file->size());
    std::array<uint8_t, 8> head{'*', '#', r.code, 0, 0, 0, 0, uint8_t(partial ? 1 : 0)};
    WriteLe32(&head[3], uint32_t(file->size() - offset));
    r.Send(head, "data");
    for (size_t at = size_t(offset); at < file->size(); at += kDownloadPiece) {
        const size_t n = std::min(kDownloadPiece, file->size() - at);
        if (!r.replies.Send({file->data() + at, n})) {
            spdlog::info("control 151: the peer left after {} of {} bytes", at - offset,
                         file->size() - offset);
            return;
        }
        r.Pause(1);
    }
}

void OnStartTestPattern(Request& r) {
    TestRequest request;
    request.pattern = r.Byte(0);
    if (request.pattern == 6) {
        request.red = r.Byte(1);
        request.green = r.Byte(2);
        request.blue = r.Byte(3);
    }
    StartTestPattern(r.player, request);
    r.Ack();
}

void OnStopTestPattern(Request& r) {
    StopTestPattern(r.player);
    r.Ack();
}

// The picture arrives as a typed upload in \Storage Card\table\test\; a file
// named after today's date ("20260305.dat") is the upload's own record and
// stays.
void OnInstallPointTestPicture(Request& r) {
    r.Ack10();
    auto& fs = r.player.fs;
    const LocalTime today = r.player.clock.Now();
    char dated[32];
    std::snprintf(dated, sizeof dated, "%d%02d%02d.dat", today.year, today.month, today.day);
    auto names = fs.List(kPointTestUploads);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const std::string path = JoinBoardPath(kPointTestUploads, name);
        if (name == dated || fs.IsDirectory(path)) continue;
        // The move replaces the old picture, so a move that fails keeps it.
        if (fs.MoveFile(path, kPointTestPicture)) {
            r.player.events.Emit("point-test-picture", {{"from", path}});
        } else {
            spdlog::warn("control 75: {} cannot be moved to {}", path, kPointTestPicture);
        }
        return;
    }
    spdlog::info("control 75: no uploaded picture in {}", kPointTestUploads);
}

}  // namespace led
