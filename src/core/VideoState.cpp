#include "core/VideoState.h"

namespace led {

VideoState::VideoState(const Settings& settings) {
    MediaConfig config{settings.audioSink};
    normal.graph = MakeMediaGraph(config);
    osd.graph = MakeMediaGraph(config);
    camera = MakeCameraPreview(settings.cameraSource);
    cameraSwitch = OpenGpioLine(settings.gpioChip);
    waveOut = OpenWaveMixer(settings.mixerElement);
}

}  // namespace led
