#include "render/FrameDecoder.h"

#include <spdlog/spdlog.h>

#include "render/PictureFile.h"

namespace led {

FrameDecoder::FrameDecoder(const ImageCodec& codec, const DeviceFs& fs, Colour background)
    : codec_(codec), fs_(fs), background_(background), thread_([this] { Run(); }) {}

FrameDecoder::~FrameDecoder() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

ImageResult FrameDecoder::Decode(const std::string& boardPath) const {
    return LoadBoardImage(codec_, fs_, boardPath, background_);
}

void FrameDecoder::Prefetch(const std::string& boardPath) {
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return !busy_; });  // one decode at a time
        path_ = boardPath;
        ready_ = false;
        result_ = {};
        busy_ = true;
    }
    wake_.notify_all();
}

std::optional<Surface> FrameDecoder::Take(const std::string& boardPath) {
    std::optional<ImageResult> ahead;
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return !busy_; });
        if (ready_ && path_ == boardPath) ahead = std::move(result_);
        ready_ = false;
        path_.clear();
        result_ = {};
    }
    ImageResult result = ahead ? std::move(*ahead) : Decode(boardPath);
    if (result) return std::move(result.picture);
    spdlog::debug("animation frame {}: {}", boardPath, result.Message());
    return std::nullopt;
}

void FrameDecoder::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || busy_; });
        if (quit_) return;
        const std::string path = path_;
        lock.unlock();
        ImageResult result = Decode(path);
        lock.lock();
        result_ = std::move(result);
        ready_ = true;
        busy_ = false;
        done_.notify_all();
    }
}

}  // namespace led
