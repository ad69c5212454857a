#pragma once
// Decodes the next animation frame on its own thread while the current one
// shows, so a frame's decoding time does not add to its frame time. At most
// one frame is decoded ahead.

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/display/Surface.h"
#include "platform/fs/DeviceFs.h"
#include "platform/image/ImageCodec.h"

namespace led {

class FrameDecoder {
public:
    FrameDecoder(const ImageCodec& codec, const DeviceFs& fs, Colour background);
    ~FrameDecoder();
    FrameDecoder(const FrameDecoder&) = delete;
    FrameDecoder& operator=(const FrameDecoder&) = delete;

    // Starts decoding `boardPath` ahead, dropping a frame decoded ahead
    // before and not taken.
    void Prefetch(const std::string& boardPath);
    // The frame at `boardPath`: the one decoded ahead when it is that path
    // (waiting for it to finish), else decoded now. None when it cannot be
    // loaded.
    std::optional<Surface> Take(const std::string& boardPath);

private:
    ImageResult Decode(const std::string& boardPath) const;
    void Run();

    const ImageCodec& codec_;
    const DeviceFs& fs_;
    Colour background_;

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::string path_;  // the frame asked for ahead; empty when none
    bool busy_ = false;
    bool ready_ = false;
    ImageResult result_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace led
