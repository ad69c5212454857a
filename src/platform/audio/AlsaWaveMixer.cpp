// The wave output volume through an ALSA simple mixer element.

#include <alsa/asoundlib.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <mutex>

#include "platform/audio/WaveMixer.h"

namespace led {
namespace {

class NoMixer final : public WaveMixer {
public:
    bool SetWaveVolume(uint32_t) override { return true; }
};

class AlsaWaveMixer final : public WaveMixer {
public:
    explicit AlsaWaveMixer(std::string element) : element_(std::move(element)) {}
    ~AlsaWaveMixer() override {
        if (mixer_) snd_mixer_close(mixer_);
    }

    bool SetWaveVolume(uint32_t volume) override {
        std::lock_guard lock(mutex_);
        snd_mixer_elem_t* elem = Element();
        if (!elem) return false;
        // Other programs may have changed the card's state since we opened it.
        snd_mixer_handle_events(mixer_);
        long min = 0, max = 0;
        if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0) return false;
        long level = MixerLevel(volume, min, max);
        if (snd_mixer_selem_set_playback_volume_all(elem, level) < 0) {
            spdlog::warn("mixer: cannot set \"{}\" to {}", element_, level);
            return false;
        }
        return true;
    }

private:
    // Opens the default card's mixer on first use; a failure is reported once
    // and the mixer stays silent afterwards (a board without sound plays on).
    snd_mixer_elem_t* Element() {
        if (elem_ || failed_) return elem_;
        failed_ = true;
        if (snd_mixer_open(&mixer_, 0) < 0) {
            spdlog::warn("mixer: ALSA mixer cannot be opened; the wave volume is not set");
            mixer_ = nullptr;
            return nullptr;
        }
        if (snd_mixer_attach(mixer_, "default") < 0 ||
            snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 || snd_mixer_load(mixer_) < 0) {
            spdlog::warn("mixer: no default sound card; the wave volume is not set");
            return nullptr;
        }
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, element_.c_str());
        snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer_, id);
        if (!elem || !snd_mixer_selem_has_playback_volume(elem)) {
            spdlog::warn("mixer: the default card has no playback element \"{}\"", element_);
            return nullptr;
        }
        failed_ = false;
        elem_ = elem;
        return elem_;
    }

    const std::string element_;
    std::mutex mutex_;
    snd_mixer_t* mixer_ = nullptr;
    snd_mixer_elem_t* elem_ = nullptr;  // owned by mixer_
    bool failed_ = false;
};

}  // namespace

long MixerLevel(uint32_t volume, long min, long max) {
    if (max <= min) return min;
    volume = std::min<uint32_t>(volume, 65535);
    return min + long((int64_t(max) - min) * volume / 65535);
}

std::unique_ptr<WaveMixer> OpenWaveMixer(const std::string& element) {
    if (element.empty()) return std::make_unique<NoMixer>();
    return std::make_unique<AlsaWaveMixer>(element);
}

}  // namespace led
