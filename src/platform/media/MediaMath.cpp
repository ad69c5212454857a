#include <cmath>

#include "platform/media/MediaGraph.h"

namespace led {

std::optional<double> LinearVolume(int32_t hundredthsOfDb) {
    if (hundredthsOfDb > 0 || hundredthsOfDb < -10000) return std::nullopt;
    if (hundredthsOfDb == -10000) return 0.0;
    // dB / 20 = hundredths / 2000
    return std::pow(10.0, hundredthsOfDb / 2000.0);
}

Rect FitPicture(Size native, Size client, double scale) {
    if (native.width <= 0 || native.height <= 0) return {};
    int cw = int(client.width * scale), ch = int(client.height * scale);
    int cx = (client.width - cw) / 2, cy = (client.height - ch) / 2;
    int vw = int(native.width * scale), vh = int(native.height * scale);
    if (vw <= cw && vh <= ch) return {cx + (cw - vw) / 2, cy + (ch - vh) / 2, vw, vh};
    if (int64_t(vw) * ch > int64_t(vh) * cw) {
        int h = int(int64_t(cw) * vh / vw);
        return {cx, cy + (ch - h) / 2, cw, h};
    }
    int w = int(int64_t(ch) * vw / vh);
    return {cx + (cw - w) / 2, cy, w, ch};
}

}  // namespace led
