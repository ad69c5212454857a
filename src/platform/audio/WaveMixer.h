#pragma once
// The wave output volume: what the volume keys and the volume schedule set
// besides the media graph's own volume. Backed by an ALSA mixer element of the
// default sound card; with no element configured it does nothing.

#include <cstdint>
#include <memory>
#include <string>

namespace led {

class WaveMixer {
public:
    virtual ~WaveMixer() = default;
    // 0 (silent) .. 65535 (full), applied to every playback channel of the
    // element. False when the element cannot be set (it keeps its level).
    virtual bool SetWaveVolume(uint32_t volume) = 0;
};

// The element by its ALSA name on the default sound card ("Master", "PCM");
// an empty name gives a mixer that does nothing and always succeeds. A missing
// card or element is logged once and then behaves the same.
std::unique_ptr<WaveMixer> OpenWaveMixer(const std::string& element);

// The element's raw level for a wave volume within [min, max], rounded down.
long MixerLevel(uint32_t volume, long min, long max);

}  // namespace led
