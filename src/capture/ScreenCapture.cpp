#include "capture/ScreenCapture.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstdio>

#include "core/Player.h"
#include "platform/image/ImageWriters.h"

namespace led {
namespace {

constexpr int kJpegQuality = 90;

// The raster as the viewer sees it now; empty without a display.
Surface ComposedRaster(Player& player) {
    if (!player.output.display) return {};
    return player.output.display->CaptureRaster();
}

// Where the playing video's picture lies on the raster, or none while no
// video plays. The normal layer's graph is the one the board captures; the
// OSD band's serves when only it plays.
std::optional<Rect> PlayingVideoPicture(Player& player) {
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        VideoLayer& video = player.video.Of(layer);
        if (!video.videoPlaying || !video.graph || !video.graph->IsHeld()) continue;
        const Rect window = video.VideoRect();
        Rect picture = video.graph->DestRect();
        picture = picture.IsEmpty() ? window : picture.Translated(window.x, window.y);
        picture = picture.Intersected(window);
        if (!picture.IsEmpty()) return picture;
    }
    return std::nullopt;
}

// The stand-in of the board's hardware encoder: the video picture as it was
// last composed, as a baseline JPEG.
std::optional<CapturedFile> CaptureVideoJpeg(Player& player, const Surface& raster) {
    auto picture = PlayingVideoPicture(player);
    if (!picture) {
        spdlog::debug("capture: no video plays, no JPEG");
        return std::nullopt;
    }
    const Rect area = picture->Intersected(raster.Bounds());
    if (area.IsEmpty()) return std::nullopt;
    Surface frame(area.width, area.height);
    for (int y = 0; y < area.height; ++y)
        std::copy_n(raster.Row(area.y + y) + area.x, area.width, frame.Row(y));
    auto jpeg = EncodeJpeg(frame, kJpegQuality);
    if (jpeg.empty()) {
        spdlog::warn("capture: the video picture cannot be encoded");
        return std::nullopt;
    }
    const std::string path =
        JoinBoardPath(kCameraDirectory, VideoCaptureName(player.clock.UtcNow()));
    if (!player.fs.WriteFile(path, jpeg)) {
        spdlog::warn("capture: {} cannot be created", path);
        return std::nullopt;
    }
    spdlog::info("capture: JPEG of {}x{} written, {} bytes", area.width, area.height, jpeg.size());
    return CapturedFile{path, jpeg.size()};
}

void LogCapture(Player& player, const char* request, const std::vector<CapturedFile>& files) {
    auto list = EventLog::Fields::array();
    for (const auto& f : files) list.push_back({{"path", f.path}, {"size", f.size}});
    player.events.Emit("capture", {{"request", request}, {"files", list}});
}

}  // namespace

std::optional<uint64_t> SaveScreenBitmap(Player& player, const std::string& path,
                                         const Surface& raster, int left, int top, int right,
                                         int bottom) {
    const int64_t start = player.clock.Ticks();
    const Rect area{left, top, std::max(0, right - left), std::max(0, bottom - top)};
    auto file = EncodeBmp24(raster, area);
    if (file.empty() || !player.fs.WriteFile(path, file)) {
        spdlog::warn("capture: {} cannot be written", path);
        return std::nullopt;
    }
    spdlog::debug("Screenshot spend {} ms", player.clock.Ticks() - start);
    return file.size();
}

std::string VideoCaptureName(const LocalTime& t) {
    char name[40];
    std::snprintf(name, sizeof name, "Capture_%04d%02d%02d%02d%02d%02d.jpg", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return name;
}

std::vector<CapturedFile> CaptureToCamera(Player& player) {
    std::vector<CapturedFile> files;
    auto& fs = player.fs;
    if (fs.IsDirectory(kCameraDirectory)) fs.RemoveTree(kCameraDirectory);
    if (!fs.CreateDirectory(kCameraDirectory)) {
        spdlog::warn("capture: {} cannot be created", kCameraDirectory);
        LogCapture(player, "camera", files);
        return files;
    }
    // One composition serves every file, so the bitmaps and the JPEG show
    // the same moment.
    const Surface raster = ComposedRaster(player);
    if (raster.IsEmpty()) {
        LogCapture(player, "camera", files);
        return files;
    }
    if (auto jpeg = CaptureVideoJpeg(player, raster)) files.push_back(*jpeg);
    const int w = raster.Width(), h = raster.Height();
    const std::string org = JoinBoardPath(kCameraDirectory, "org.bmp");
    const std::string osd = JoinBoardPath(kCameraDirectory, "osd.bmp");
    if (auto size = SaveScreenBitmap(player, org, raster, 0, 0, w, h))
        files.push_back({org, *size});
    const int osdTop = std::clamp(player.screen.osdOffsetLine.load(), 0, h);
    if (auto size = SaveScreenBitmap(player, osd, raster, 0, osdTop, w, h))
        files.push_back({osd, *size});
    LogCapture(player, "camera", files);
    return files;
}

bool CaptureScreenFile(Player& player) {
    const Surface raster = ComposedRaster(player);
    if (raster.IsEmpty()) {
        spdlog::warn("capture: no display to capture");
        return false;
    }
    auto size =
        SaveScreenBitmap(player, kCaptureFile, raster, 0, 0, raster.Width(), raster.Height());
    std::vector<CapturedFile> files;
    if (size) files.push_back({kCaptureFile, *size});
    LogCapture(player, "screen", files);
    return size.has_value();
}

}  // namespace led
