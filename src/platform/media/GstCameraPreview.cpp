// The camera preview over GStreamer: "<source> ! capsfilter (capture size,
// 30 fps preferred) ! VideoOutput", painted over the whole owner window.

#include <spdlog/spdlog.h>

#include <mutex>

#include "platform/display/Display.h"
#include "platform/media/CameraPreview.h"
#include "platform/media/VideoOutput.h"

namespace led {
namespace {

// The board reported failures as COM results; GStreamer gives none, so the
// generic failure code stands in where no error code is known.
constexpr unsigned kGenericFailure = 0x80004005u;

void LogFailure(const char* what, unsigned code) {
    spdlog::warn("PLAYWD: {}(0x{:08X})", what, code);
}

GstBusSyncReply OnCameraBus(GstBus*, GstMessage* m, gpointer) {
    if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(m, &error, nullptr);
        spdlog::warn("camera: {}", error ? error->message : "error");
        if (error) g_error_free(error);
    }
    // Nothing reads the bus itself; a sync handler that drops a message owns it.
    gst_message_unref(m);
    return GST_BUS_DROP;
}

// The capture size at 30 fps when the source offers it, else at its own rate.
GstCaps* CaptureCaps(int width, int height) {
    if (width <= 0 || height <= 0) return gst_caps_new_any();
    std::string text =
        "video/x-raw,width=" + std::to_string(width) + ",height=" + std::to_string(height);
    return gst_caps_from_string((text + ",framerate=30/1;" + text).c_str());
}

class GstCameraPreview final : public CameraPreview {
public:
    explicit GstCameraPreview(std::string source) : source_(std::move(source)) {}
    ~GstCameraPreview() override { Stop(); }

    bool Start(const Rect& rect, Window* owner, int width, int height) override {
        std::lock_guard lock(mutex_);
        StopLocked();
        EnsureGstInitialized();

        GError* error = nullptr;
        GstElement* source = gst_parse_bin_from_description(source_.c_str(), TRUE, &error);
        if (error || !source) {
            spdlog::warn("camera: source \"{}\": {}", source_,
                         error ? error->message : "cannot be made");
            LogFailure("create graphic camera filter failed",
                       error ? unsigned(error->code) : kGenericFailure);
            if (error) g_error_free(error);
            if (source) gst_object_unref(gst_object_ref_sink(source));
            return false;
        }
        GstElement* pipeline = gst_pipeline_new("camera");
        pipeline_.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
        video_ = std::make_unique<VideoOutput>();
        GstElement* capture = gst_element_factory_make("capsfilter", nullptr);
        if (!video_->Element() || !capture) {
            if (capture) gst_object_unref(gst_object_ref_sink(capture));
            gst_object_unref(gst_object_ref_sink(source));
            LogFailure("add camera filter failed", kGenericFailure);
            StopLocked();
            return false;
        }
        GstCaps* caps = CaptureCaps(width, height);
        g_object_set(capture, "caps", caps, nullptr);
        gst_caps_unref(caps);
        gst_bin_add_many(GST_BIN(pipeline), source, capture, video_->Element(), nullptr);
        if (!gst_element_link_many(source, capture, video_->Element(), nullptr)) {
            LogFailure("cannot find camera out pin", kGenericFailure);
            StopLocked();
            return false;
        }
        GstBus* bus = gst_element_get_bus(pipeline);
        gst_bus_set_sync_handler(bus, OnCameraBus, nullptr, nullptr);
        gst_object_unref(bus);

        Rect dest = rect.IsEmpty() && owner ? owner->Frame() : rect;
        video_->Attach(owner, {0, 0, dest.width, dest.height});
        if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            LogFailure("add camera filter failed", kGenericFailure);
            StopLocked();
            return false;
        }
        spdlog::info("camera: preview started ({}x{} from \"{}\")", width, height, source_);
        return true;
    }

    void Stop() override {
        std::lock_guard lock(mutex_);
        StopLocked();
    }

    bool IsRunning() const override {
        std::lock_guard lock(mutex_);
        return pipeline_ != nullptr;
    }
    MediaStats Stats() const override {
        std::lock_guard lock(mutex_);
        return video_ ? video_->Stats() : MediaStats{};
    }
    bool WaitFramesShown(uint64_t count, int64_t timeoutMs) override {
        std::shared_ptr<VideoOutput::Shared> shared;
        {
            std::lock_guard lock(mutex_);
            if (!video_) return false;
            shared = video_->SharedState();
        }
        return VideoOutput::WaitShown(*shared, count, timeoutMs);
    }

private:
    void StopLocked() {
        if (!pipeline_) {
            video_.reset();
            return;
        }
        Rect painted;
        Window* owner = video_ ? video_->Detach(painted) : nullptr;
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        pipeline_.reset();
        video_.reset();
        HidePicture(owner, painted);
    }

    const std::string source_;
    mutable std::mutex mutex_;
    GstElementPtr pipeline_;
    std::unique_ptr<VideoOutput> video_;
};

}  // namespace

std::unique_ptr<CameraPreview> MakeCameraPreview(const std::string& source) {
    return std::make_unique<GstCameraPreview>(source);
}

}  // namespace led
