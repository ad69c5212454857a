#include "video/VideoItems.h"

#include <cstdlib>

#include "core/Player.h"
#include "platform/fs/DeviceFs.h"
#include "storage/Files.h"

namespace led {
namespace {

// The leading decimal number of a field, as the board read it (leading blanks
// skipped, reading stops at the first non-digit). Negative sizes count as 0.
int LeadingNumber(const std::string& field) {
    long value = std::strtol(field.c_str(), nullptr, 10);
    if (value < 0) return 0;
    return value > 65535 ? 65535 : int(value);
}

}  // namespace

EdgeRect VideoDestination(int width, int height) {
    int padW = width % 16 != 0 ? 16 : 0;
    int padH = height % 4 != 0 ? 4 : 0;
    return {0, 0, width - 1 + padW, height - 1 + padH};
}

int32_t GraphVolume(int playerVolume) { return (playerVolume - 100) * 100; }

void SetVideoVolume(Player& player, int playerVolume) {
    for (Layer layer : {Layer::Normal, Layer::Osd})
        player.video.Of(layer).graph->SetGraphVolume(GraphVolume(playerVolume));
}

std::string StreamAddress(const std::string& path) {
    size_t first = std::string::npos;
    for (const char* scheme : {"mms://", "http://", "https://", "rtsp://", "udp://"})
        first = std::min(first, path.find(scheme));
    return first == std::string::npos ? path : path.substr(first);
}

std::string MediaName(const AreaItem& item, const DeviceFs& fs) {
    if (item.streamtype == stream_type::kNetwork) {
        std::string address = StreamAddress(item.path);
        if (address.find("://") != std::string::npos) return address;
        // No scheme: a file of the device like any other, never a name
        // relative to wherever the player was started.
    }
    auto host = fs.Resolve(item.path);
    return host ? host->string() : std::string();
}

Size ReadCameraSize(const DeviceFs& fs) {
    auto text = fs.ReadText(files::kTvAreaSize, 64);
    if (!text) return {};
    size_t x = text->find('x');
    if (x == std::string::npos) return {LeadingNumber(*text), 0};
    return {LeadingNumber(text->substr(0, x)), LeadingNumber(text->substr(x + 1))};
}

}  // namespace led
