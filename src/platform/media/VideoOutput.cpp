#include "platform/media/VideoOutput.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <spdlog/spdlog.h>

#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/display/Display.h"
#include "platform/media/YuvToBgrx.h"

namespace led {

void EnsureGstInitialized() {
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

struct VideoOutput::Shared {
    std::mutex mutex;
    std::condition_variable shownChanged;
    Window* owner = nullptr;
    Rect dest;
    Rect painted;
    uint64_t shown = 0;
    Surface scratch;  // frames that do not match the destination or lie partly outside
    // The last conversion set up, kept while the frames keep their layout.
    GstVideoConverter* converter = nullptr;
    GstVideoInfo converterIn{};
    GstVideoInfo converterOut{};

    ~Shared() {
        if (converter) gst_video_converter_free(converter);
    }
};

namespace {

// Clears the padding byte of BGRx pixels (GStreamer's converter writes 0xff
// there; surfaces keep it zero), four pixels at a time in a vector register.
void ClearPadding(uint32_t* pixels, int count) {
    using Pixels4 = uint32_t __attribute__((vector_size(16)));
    const Pixels4 mask = {0x00ffffffu, 0x00ffffffu, 0x00ffffffu, 0x00ffffffu};
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Pixels4 v;
        std::memcpy(&v, pixels + i, sizeof v);
        v &= mask;
        std::memcpy(pixels + i, &v, sizeof v);
    }
    for (; i < count; ++i) pixels[i] &= 0x00ffffffu;
}

// Describes BGRx pixels `width` x `height` whose rows lie `strideBytes` apart.
GstVideoInfo BgrxInfo(int width, int height, int strideBytes) {
    GstVideoInfo info;
    gst_video_info_set_format(&info, GST_VIDEO_FORMAT_BGRx, width, height);
    info.stride[0] = strideBytes;
    info.size = size_t(strideBytes) * height;
    return info;
}

// Planar 4:2:0 frames, what most decoders give, through libyuv: the general
// converter costs nearly as much per 1080p frame as the decoding. The
// component pointers are U and V whatever the plane order, so YV12 needs
// nothing of its own.
bool ConvertPlanar420(const GstVideoFrame& frame, uint32_t* pixels, int strideBytes) {
    const GstVideoFormat format = GST_VIDEO_FRAME_FORMAT(&frame);
    if ((format != GST_VIDEO_FORMAT_I420 && format != GST_VIDEO_FORMAT_YV12) ||
        GST_VIDEO_INFO_INTERLACE_MODE(&frame.info) != GST_VIDEO_INTERLACE_MODE_PROGRESSIVE)
        return false;
    const GstVideoColorimetry& c = frame.info.colorimetry;
    YuvMatrix matrix;
    switch (c.matrix) {
        case GST_VIDEO_COLOR_MATRIX_BT601: matrix = YuvMatrix::Bt601; break;
        case GST_VIDEO_COLOR_MATRIX_BT709: matrix = YuvMatrix::Bt709; break;
        case GST_VIDEO_COLOR_MATRIX_BT2020: matrix = YuvMatrix::Bt2020; break;
        default: return false;
    }
    YuvPlanes planes{static_cast<const uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&frame, 0)),
                     static_cast<const uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&frame, 1)),
                     static_cast<const uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&frame, 2)),
                     GST_VIDEO_FRAME_COMP_STRIDE(&frame, 0),
                     GST_VIDEO_FRAME_COMP_STRIDE(&frame, 1),
                     GST_VIDEO_FRAME_COMP_STRIDE(&frame, 2)};
    return YuvToBgrx(planes, GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame), matrix,
                     c.range == GST_VIDEO_COLOR_RANGE_0_255, pixels, strideBytes);
}

// Converts the frame into BGRx pixels at `pixels`, padding bytes zero. Other
// layouts go through GStreamer's converter, kept for the next frame of the
// same layout: setting one up costs more than a conversion.
void ConvertInto(VideoOutput::Shared& s, const GstVideoFrame& frame, uint32_t* pixels,
                 int strideBytes) {
    if (ConvertPlanar420(frame, pixels, strideBytes)) return;
    const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
    GstVideoInfo out = BgrxInfo(width, height, strideBytes);
    // The converter only changes pixels, not timing or field layout.
    out.fps_n = frame.info.fps_n;
    out.fps_d = frame.info.fps_d;
    out.interlace_mode = frame.info.interlace_mode;
    if (!s.converter || !gst_video_info_is_equal(&s.converterIn, &frame.info) ||
        !gst_video_info_is_equal(&s.converterOut, &out)) {
        if (s.converter) gst_video_converter_free(s.converter);
        // Asking for a zero padding byte (BGRA with alpha 0) would leave the
        // converter's fast paths; clearing it afterwards costs far less.
        s.converter =
            gst_video_converter_new(const_cast<GstVideoInfo*>(&frame.info), &out, nullptr);
        s.converterIn = frame.info;
        s.converterOut = out;
        if (!s.converter) return;
    }
    GstBuffer* buffer = gst_buffer_new_wrapped_full(GstMemoryFlags(0), pixels, out.size, 0,
                                                    out.size, nullptr, nullptr);
    GstVideoFrame target;
    if (gst_video_frame_map(&target, &out, buffer, GST_MAP_WRITE)) {
        gst_video_converter_frame(s.converter, &frame, &target);
        gst_video_frame_unmap(&target);
        for (int row = 0; row < height; ++row)
            ClearPadding(reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                                     size_t(row) * strideBytes),
                         width);
    }
    gst_buffer_unref(buffer);
}

// GStreamer has already scaled the frame to the destination's size (only the
// first frames after a change of destination differ); it is converted to
// BGRx straight into the window when the window holds all of it, else
// through a scratch surface.
void PaintFrame(VideoOutput::Shared& s, const GstVideoFrame& frame) {
    const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
    Window::Painter painter = s.owner->Paint();
    Canvas& canvas = painter.canvas();
    Surface& target = canvas.Target();
    Rect dest = s.dest.IsEmpty() ? Rect{0, 0, width, height} : s.dest;
    Rect visible = dest.Intersected(canvas.Bounds());
    if (visible.IsEmpty()) return;
    const bool sameSize = dest.width == width && dest.height == height;
    if (sameSize && visible == dest) {
        ConvertInto(s, frame, target.Row(dest.y) + dest.x, target.StrideBytes());
        canvas.MarkDrawn(visible);
        s.painted = s.painted.United(visible);
        return;
    }
    if (s.scratch.Width() != width || s.scratch.Height() != height)
        s.scratch = Surface(width, height);
    ConvertInto(s, frame, s.scratch.Data(), s.scratch.StrideBytes());
    if (sameSize) {
        int sx = visible.x - dest.x, sy = visible.y - dest.y;
        for (int row = 0; row < visible.height; ++row)
            std::memcpy(target.Row(visible.y + row) + visible.x, s.scratch.Row(sy + row) + sx,
                        size_t(visible.width) * 4);
        canvas.MarkDrawn(visible);
    } else {
        // A frame still at its previous size while the pipeline renegotiates:
        // scale it once ourselves.
        canvas.Stretch(s.scratch, s.scratch.Bounds(), dest);
    }
    s.painted = s.painted.United(visible);
}

GstFlowReturn OnNewSample(GstAppSink* sink, gpointer data) {
    auto& shared = **static_cast<std::shared_ptr<VideoOutput::Shared>*>(data);
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample) return GST_FLOW_EOS;
    GstVideoInfo info;
    GstVideoFrame frame;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        {
            std::lock_guard lock(shared.mutex);
            if (shared.owner) {
                PaintFrame(shared, frame);
                ++shared.shown;
            }
        }
        shared.shownChanged.notify_all();
        gst_video_frame_unmap(&frame);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

void DeleteShared(gpointer data) {
    delete static_cast<std::shared_ptr<VideoOutput::Shared>*>(data);
}

// The formats decoders commonly produce, and BGRx itself: frames arrive as
// they are and are converted once, into the window. Anything else is
// converted to one of these first.
GstCaps* OutputCaps(const Rect& dest) {
    GstCaps* caps = gst_caps_from_string("video/x-raw, format=(string){ I420, YV12, NV12, BGRx }");
    // The pixel aspect ratio stays free, so the picture is stretched to fill
    // the rectangle instead of being letterboxed.
    if (!dest.IsEmpty())
        gst_caps_set_simple(caps, "width", G_TYPE_INT, dest.width, "height", G_TYPE_INT,
                            dest.height, nullptr);
    return caps;
}

}  // namespace

VideoOutput::VideoOutput() : shared_(std::make_shared<Shared>()) {
    EnsureGstInitialized();
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* deinterlace = gst_element_factory_make("deinterlace", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvertscale", nullptr);
    GstElement* capsfilter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* appsink = gst_element_factory_make("appsink", nullptr);
    gst_object_ref_sink(bin);
    bin_.reset(bin);
    if (!deinterlace || !convert || !capsfilter || !appsink) {
        spdlog::error(
            "media: a GStreamer element of the video output is missing "
            "(deinterlace, videoconvertscale, capsfilter, appsink)");
        for (GstElement* e : {deinterlace, convert, capsfilter, appsink})
            if (e) gst_object_unref(gst_object_ref_sink(e));
        bin_.reset();
        return;
    }
    gst_bin_add_many(GST_BIN(bin), deinterlace, convert, capsfilter, appsink, nullptr);
    gst_element_link_many(deinterlace, convert, capsfilter, appsink, nullptr);
    GstPad* sink = gst_element_get_static_pad(deinterlace, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", sink));
    gst_object_unref(sink);

    GstCaps* caps = OutputCaps({});
    g_object_set(capsfilter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    // Behave like a video sink: frames late by more than 20 ms are dropped and
    // reported upstream, so a slow decoder skips instead of falling behind.
    g_object_set(appsink, "sync", TRUE, "qos", TRUE, "max-lateness", gint64(20 * GST_MSECOND),
                 "enable-last-sample", FALSE, "max-buffers", 2u, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = OnNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(appsink), &callbacks,
                               new std::shared_ptr<Shared>(shared_), DeleteShared);
    capsfilter_ = capsfilter;
    appsink_ = appsink;
}

VideoOutput::~VideoOutput() = default;

void VideoOutput::Attach(Window* owner, const Rect& dest) {
    bool resize;
    {
        std::lock_guard lock(shared_->mutex);
        resize = dest.width != shared_->dest.width || dest.height != shared_->dest.height;
        shared_->owner = owner;
        shared_->dest = dest;
    }
    if (resize && capsfilter_) {
        GstCaps* caps = OutputCaps(dest);
        g_object_set(capsfilter_, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
}

Window* VideoOutput::Detach(Rect& painted) {
    std::lock_guard lock(shared_->mutex);
    Window* owner = shared_->owner;
    painted = shared_->painted;
    shared_->owner = nullptr;
    shared_->painted = {};
    return owner;
}

MediaStats VideoOutput::Stats() const {
    MediaStats stats;
    {
        std::lock_guard lock(shared_->mutex);
        stats.shown = shared_->shown;
    }
    if (appsink_) {
        GstStructure* s = nullptr;
        g_object_get(appsink_, "stats", &s, nullptr);
        guint64 dropped = 0;
        if (s && gst_structure_get_uint64(s, "dropped", &dropped)) stats.dropped = dropped;
        if (s) gst_structure_free(s);
    }
    return stats;
}

bool VideoOutput::WaitShown(Shared& shared, uint64_t count, int64_t timeoutMs) {
    std::unique_lock lock(shared.mutex);
    return shared.shownChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                        [&] { return shared.shown >= count; });
}

void HidePicture(Window* owner, const Rect& painted) {
    if (!owner || painted.IsEmpty()) return;
    owner->Paint()->Fill(painted, kBlack);
}

}  // namespace led
