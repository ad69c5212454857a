// The media graph over GStreamer: a playbin whose video goes through a
// VideoOutput into the owner window and whose sound goes to the default sound
// device (or is discarded when there is none).

#include <spdlog/spdlog.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>

#include "platform/display/Display.h"
#include "platform/media/MediaGraph.h"
#include "platform/media/VideoOutput.h"

namespace led {
namespace {

// How long Open waits for a file or stream to deliver its first frame.
constexpr int64_t kPrerollTimeoutMs = 10000;
// How often that wait looks at the caller's give-up condition, a plain flag
// that nothing signals.
constexpr int64_t kGiveUpPollMs = 20;
// Events kept when nobody fetches them (the main window takes one per cycle
// message); the oldest go first.
constexpr size_t kMaxPendingEvents = 32;

// playbin's GstPlayFlags: video, audio, software volume, and our own
// conversion (the VideoOutput) instead of playsink's.
constexpr guint kPlayFlags = 0x1 | 0x2 | 0x10 | 0x40;

// What the bus of one pipeline reports, from the pipeline's own threads.
struct BusState {
    std::mutex mutex;
    std::condition_variable changed;
    bool prerolled = false;
    bool failed = false;
    bool missingPlugin = false;
    bool running = false;    // after a successful Open: errors become events
    bool cancelled = false;  // a Stop or Release came while it was being opened
    uint64_t run = 0;
    std::string error;
    std::deque<GraphEvent> events;

    void Push(GraphEvent event) {
        event.run = run;
        if (events.size() >= kMaxPendingEvents) events.pop_front();
        events.push_back(std::move(event));
    }
};

std::string ErrorText(GstMessage* m) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    if (GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR)
        gst_message_parse_error(m, &error, &debug);
    else
        gst_message_parse_warning(m, &error, &debug);
    std::string text = error ? error->message : "unknown";
    if (error) g_error_free(error);
    g_free(debug);
    return text;
}

GstBusSyncReply OnBusMessage(GstBus*, GstMessage* m, gpointer data) {
    BusState& s = **static_cast<std::shared_ptr<BusState>*>(data);
    switch (GST_MESSAGE_TYPE(m)) {
        case GST_MESSAGE_ASYNC_DONE: {
            std::lock_guard lock(s.mutex);
            s.prerolled = true;
            break;
        }
        case GST_MESSAGE_ERROR: {
            std::string text = ErrorText(m);
            spdlog::debug("media: error from {}: {}", GST_OBJECT_NAME(GST_MESSAGE_SRC(m)), text);
            std::lock_guard lock(s.mutex);
            if (s.running) {
                s.Push({graph_event::kErrorAbort, text});
            } else if (!s.failed) {
                s.failed = true;
                s.error = text;
            }
            break;
        }
        case GST_MESSAGE_EOS: {
            std::lock_guard lock(s.mutex);
            if (s.running) s.Push({graph_event::kComplete, {}});
            break;
        }
        case GST_MESSAGE_CLOCK_LOST: {
            std::lock_guard lock(s.mutex);
            if (s.running) s.Push({graph_event::kNeedRestart, {}});
            break;
        }
        case GST_MESSAGE_WARNING: spdlog::debug("media: warning: {}", ErrorText(m)); break;
        case GST_MESSAGE_ELEMENT: {
            const GstStructure* st = gst_message_get_structure(m);
            if (st && gst_structure_has_name(st, "missing-plugin")) {
                std::lock_guard lock(s.mutex);
                s.missingPlugin = true;
            }
            break;
        }
        default: break;
    }
    s.changed.notify_all();
    // Nothing reads the bus itself; a sync handler that drops a message owns it.
    gst_message_unref(m);
    return GST_BUS_DROP;
}

void DeleteBusState(gpointer data) { delete static_cast<std::shared_ptr<BusState>*>(data); }

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// True when autoaudiosink finds a real device; it falls back to an internal
// fakesink otherwise.
bool ProbeSoundDevice() {
    GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (!sink) return false;
    gst_object_ref_sink(sink);
    bool found = false;
    if (gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        GstIterator* it = gst_bin_iterate_elements(GST_BIN(sink));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            auto* child = GST_ELEMENT(g_value_get_object(&item));
            GstElementFactory* factory = gst_element_get_factory(child);
            if (factory && std::string(GST_OBJECT_NAME(factory)) != "fakesink") found = true;
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
    }
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    spdlog::info("media: {}", found ? "sound goes to the default sound device"
                                    : "no sound device; sound is discarded");
    return found;
}

GstElement* MakeFakeAudioSink() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

// Pictures up to Full HD decode well within real time on one thread; the
// decoder's frame threads would only add hand-over work (about a fifth more
// CPU for 1080p H.264) and a frame of delay each. Larger pictures keep the
// decoder's own choice.
constexpr int64_t kSingleThreadDecodePixels = 1920 * 1088;

GstPadProbeReturn OnDecoderCaps(GstPad* pad, GstPadProbeInfo* info, gpointer) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    const GstStructure* st = caps ? gst_caps_get_structure(caps, 0) : nullptr;
    int width = 0, height = 0;
    if (st && gst_structure_get_int(st, "width", &width) &&
        gst_structure_get_int(st, "height", &height)) {
        GstElement* decoder = gst_pad_get_parent_element(pad);
        if (decoder) {
            bool small = int64_t(width) * height <= kSingleThreadDecodePixels;
            g_object_set(decoder, "max-threads", small ? 1 : 0, nullptr);
            gst_object_unref(decoder);
        }
    }
    return GST_PAD_PROBE_OK;
}

// Called by playbin for every element it creates, before it starts.
void OnElementSetup(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory ||
        !gst_element_factory_list_is_type(
            factory, GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO) ||
        !g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads"))
        return;
    if (GstPad* sink = gst_element_get_static_pad(element, "sink")) {
        gst_pad_add_probe(sink, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, OnDecoderCaps, nullptr,
                          nullptr);
        gst_object_unref(sink);
    }
}

class GstMediaGraph final : public MediaGraph {
public:
    explicit GstMediaGraph(MediaConfig config) : config_(std::move(config)) {}
    ~GstMediaGraph() override { Release(); }

    bool Open(const std::string& name, Window* owner,
              const std::function<bool()>& giveUp) override {
        // The pipeline is built under the lock but readied without it: a
        // stream may take seconds to send its first frame, and the volume
        // schedule and the management handlers must not wait for that.
        std::unique_lock lock(mutex_);
        ReleaseLocked();
        EnsureGstInitialized();
        note_.clear();
        native_ = {};
        dest_ = {};
        std::string uri = UriFor(name);
        if (uri.empty()) return false;

        Attempt attempt;
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        if (!playbin) {
            spdlog::error("media: the GStreamer element playbin is missing");
            return false;
        }
        attempt.pipeline.reset(GST_ELEMENT(gst_object_ref_sink(playbin)));
        attempt.video = std::make_unique<VideoOutput>();
        bool audioDiscarded = false;
        GstElement* audio = MakeAudioSink(audioDiscarded);
        if (!attempt.video->Element() || !audio) {
            if (audio) gst_object_unref(gst_object_ref_sink(audio));
            return false;
        }
        g_object_set(playbin, "uri", uri.c_str(), "video-sink", attempt.video->Element(),
                     "audio-sink", audio, "flags", kPlayFlags, nullptr);
        g_signal_connect(playbin, "element-setup", G_CALLBACK(OnElementSetup), nullptr);
        attempt.bus = std::make_shared<BusState>();
        attempt.bus->run = ++lastRun_;
        GstBus* gstBus = gst_element_get_bus(playbin);
        gst_bus_set_sync_handler(gstBus, OnBusMessage, new std::shared_ptr<BusState>(attempt.bus),
                                 DeleteBusState);
        gst_object_unref(gstBus);
        attempt.video->Attach(owner, {});
        opening_ = attempt.bus;

        lock.unlock();
        bool prerolled = Preroll(attempt.pipeline.get(), *attempt.bus, name, giveUp);
        lock.lock();
        // A Stop, a Release or another Open meanwhile has taken the opening away.
        const bool cancelled = opening_ != attempt.bus;
        if (!cancelled) opening_.reset();
        if (!prerolled || cancelled) {
            lock.unlock();
            attempt.TearDown();
            return false;
        }

        pipeline_ = std::move(attempt.pipeline);
        video_ = std::move(attempt.video);
        owner_ = owner;
        run_ = attempt.bus->run;
        {
            std::lock_guard busLock(busMutex_);
            bus_ = attempt.bus;
        }
        gint audioStreams = 0, videoStreams = 0;
        g_object_get(pipeline_.get(), "n-audio", &audioStreams, "n-video", &videoStreams, nullptr);
        if (videoStreams > 0) ReadNativeSize();
        dest_ = native_.width > 0 ? Rect{0, 0, native_.width, native_.height} : Rect{};
        video_->Attach(owner, dest_);
        {
            std::lock_guard busLock(bus_->mutex);
            if (bus_->missingPlugin)
                note_ = open_note::kUnsupportedStreams;
            else if (audioDiscarded && audioStreams > 0)
                note_ = open_note::kAudioNotRendered;
            bus_->running = true;
        }
        if (!note_.empty()) spdlog::debug("media: {}: {}", name, Trim(note_));
        return true;
    }

    bool Run() override {
        std::lock_guard lock(mutex_);
        if (!pipeline_) return false;
        return gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) !=
               GST_STATE_CHANGE_FAILURE;
    }

    bool Stop() override {
        std::lock_guard lock(mutex_);
        return ReleaseLocked();
    }
    bool Release() override {
        std::lock_guard lock(mutex_);
        return ReleaseLocked();
    }
    bool StopRun(uint64_t run) override {
        std::lock_guard lock(mutex_);
        if (!pipeline_ || run != run_) return false;
        return ReleaseLocked();
    }
    uint64_t RunId() const override {
        std::lock_guard lock(mutex_);
        return pipeline_ ? run_ : 0;
    }

    int64_t GetDurationSeconds() override {
        std::lock_guard lock(mutex_);
        gint64 duration = 0;
        if (!pipeline_ ||
            !gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &duration) ||
            duration <= 0)
            return 0;
        return duration / GST_SECOND;
    }

    bool SetGraphVolume(int32_t volume) override {
        std::lock_guard lock(mutex_);
        std::optional<double> linear = LinearVolume(volume);
        if (!pipeline_ || !linear) return false;
        g_object_set(pipeline_.get(), "volume", *linear, nullptr);
        return true;
    }

    bool FitVideo(double scale) override {
        std::lock_guard lock(mutex_);
        if (!pipeline_ || scale > 1.0 || scale <= 0) return false;
        ReadNativeSize();
        if (native_.width <= 0) return false;
        Size client = owner_ ? Size{owner_->Frame().width, owner_->Frame().height} : native_;
        dest_ = FitPicture(native_, client, scale);
        video_->Attach(owner_, dest_);
        return true;
    }

    bool SetWindowRect(Window* owner, const EdgeRect& r) override {
        std::lock_guard lock(mutex_);
        if (!pipeline_) return false;
        Rect dest;
        if (r.IsZero()) {
            Window* client = owner ? owner : owner_;
            if (client) dest = {0, 0, client->Frame().width, client->Frame().height};
        } else {
            dest = Rect::FromInclusive(r.left, r.top, r.right, r.bottom);
        }
        if (dest.IsEmpty()) return false;
        dest_ = dest;
        owner_ = owner;
        video_->Attach(owner, dest_);
        return true;
    }

    std::optional<GraphEvent> TakeEvent() override {
        std::shared_ptr<BusState> bus;
        {
            std::lock_guard lock(busMutex_);
            bus = bus_;
        }
        if (!bus) return std::nullopt;
        std::lock_guard lock(bus->mutex);
        if (bus->events.empty()) return std::nullopt;
        GraphEvent event = std::move(bus->events.front());
        bus->events.pop_front();
        return event;
    }

    bool IsHeld() const override {
        std::lock_guard lock(mutex_);
        return pipeline_ != nullptr;
    }
    std::string Note() const override {
        std::lock_guard lock(mutex_);
        return note_;
    }
    Size NativeSize() const override {
        std::lock_guard lock(mutex_);
        return native_;
    }
    Rect DestRect() const override {
        std::lock_guard lock(mutex_);
        return dest_;
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
    // A local name that is there but is neither a file nor a directory (a
    // FIFO, a device): opening one blocks until someone writes to it, beyond
    // any stop or shutdown.
    static bool BlocksOnOpen(const std::string& path) {
        std::error_code error;
        const auto status = std::filesystem::status(path, error);
        return !error && std::filesystem::exists(status) &&
               !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status);
    }

    static std::string UriFor(const std::string& name) {
        if (name.empty()) return {};
        std::string uri;
        if (name.find("://") != std::string::npos) {
            if (!gst_uri_is_valid(name.c_str())) {
                spdlog::debug("media: \"{}\" is not a valid address", name);
                return {};
            }
            uri = name;
        } else {
            gchar* made = gst_filename_to_uri(name.c_str(), nullptr);
            if (!made) return {};
            uri = made;
            g_free(made);
        }
        if (gchar* local = g_filename_from_uri(uri.c_str(), nullptr, nullptr)) {
            const bool blocks = BlocksOnOpen(local);
            g_free(local);
            if (blocks) {
                spdlog::info("media: \"{}\" is not a file", name);
                return {};
            }
        }
        return uri;
    }

    GstElement* MakeAudioSink(bool& discarded) {
        discarded = false;
        if (!config_.audioSink.empty()) {
            GError* error = nullptr;
            GstElement* sink =
                gst_parse_bin_from_description(config_.audioSink.c_str(), TRUE, &error);
            if (error) {
                spdlog::warn("media: audio sink \"{}\": {}; sound is discarded", config_.audioSink,
                             error->message);
                g_error_free(error);
                if (sink) gst_object_unref(gst_object_ref_sink(sink));
                discarded = true;
                return MakeFakeAudioSink();
            }
            discarded = Trim(config_.audioSink) == "fakesink";
            return sink;
        }
        if (!soundDevice_) soundDevice_ = ProbeSoundDevice();
        if (*soundDevice_) return gst_element_factory_make("autoaudiosink", nullptr);
        discarded = true;
        return MakeFakeAudioSink();
    }

    // Brings the pipeline to PAUSED and waits until it holds its first frame
    // (a live stream has none to hold and is ready at once), or until the
    // opening is cancelled or the caller gives up.
    static bool Preroll(GstElement* pipeline, BusState& bus, const std::string& name,
                        const std::function<bool()>& giveUp) {
        GstStateChangeReturn ret = gst_element_set_state(pipeline, GST_STATE_PAUSED);
        std::unique_lock lock(bus.mutex);
        if (ret == GST_STATE_CHANGE_FAILURE && !bus.failed) {
            bus.failed = true;
            bus.error = "the pipeline cannot start";
        }
        if (ret == GST_STATE_CHANGE_ASYNC) {
            using std::chrono::steady_clock;
            const auto deadline =
                steady_clock::now() + std::chrono::milliseconds(kPrerollTimeoutMs);
            while (!bus.prerolled && !bus.failed && !bus.cancelled) {
                if (giveUp && giveUp()) {
                    bus.cancelled = true;
                    break;
                }
                const auto now = steady_clock::now();
                if (now >= deadline) {
                    bus.failed = true;
                    bus.error = "no data within " + std::to_string(kPrerollTimeoutMs) + " ms";
                    break;
                }
                bus.changed.wait_until(
                    lock, std::min(deadline, now + std::chrono::milliseconds(kGiveUpPollMs)));
            }
        }
        if (bus.cancelled) {
            spdlog::debug("media: opening \"{}\" was cancelled", name);
            return false;
        }
        if (bus.failed) spdlog::info("media: cannot open \"{}\": {}", name, bus.error);
        return !bus.failed;
    }

    void ReadNativeSize() {
        GstPad* pad = nullptr;
        g_signal_emit_by_name(pipeline_.get(), "get-video-pad", 0, &pad);
        if (!pad) return;
        if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
            const GstStructure* s = gst_caps_get_structure(caps, 0);
            int width = 0, height = 0;
            if (gst_structure_get_int(s, "width", &width) &&
                gst_structure_get_int(s, "height", &height))
                native_ = {width, height};
            gst_caps_unref(caps);
        }
        gst_object_unref(pad);
    }

    bool ReleaseLocked() {
        bool cancelled = false;
        if (opening_) {
            // The opening thread sees this, tears its pipeline down and fails.
            std::lock_guard busLock(opening_->mutex);
            opening_->cancelled = true;
            opening_->changed.notify_all();
            cancelled = true;
        }
        opening_.reset();
        if (!pipeline_) return cancelled;
        Rect painted;
        Window* owner = video_ ? video_->Detach(painted) : nullptr;
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        {
            std::lock_guard busLock(busMutex_);
            bus_.reset();
        }
        pipeline_.reset();
        video_.reset();
        owner_ = nullptr;
        run_ = 0;
        HidePicture(owner, painted);
        return true;
    }

    // A pipeline being opened: held by the opening thread alone, so that no
    // lock is needed while it prerolls.
    struct Attempt {
        GstElementPtr pipeline;
        std::unique_ptr<VideoOutput> video;
        std::shared_ptr<BusState> bus;
        void TearDown() {
            Rect painted;
            Window* owner = video ? video->Detach(painted) : nullptr;
            if (pipeline) gst_element_set_state(pipeline.get(), GST_STATE_NULL);
            pipeline.reset();
            video.reset();
            HidePicture(owner, painted);
        }
    };

    const MediaConfig config_;
    mutable std::mutex mutex_;           // every operation; not held while a pipeline prerolls
    std::mutex busMutex_;                // bus_ alone, so events can be taken during an Open
    std::shared_ptr<BusState> opening_;  // the bus of a pipeline being readied
    uint64_t lastRun_ = 0;
    uint64_t run_ = 0;  // the run of the held pipeline
    GstElementPtr pipeline_;
    std::unique_ptr<VideoOutput> video_;
    std::shared_ptr<BusState> bus_;
    Window* owner_ = nullptr;
    Size native_;
    Rect dest_;
    std::string note_;
    std::optional<bool> soundDevice_;
};

}  // namespace

std::unique_ptr<MediaGraph> MakeMediaGraph(const MediaConfig& config) {
    return std::make_unique<GstMediaGraph>(config);
}

}  // namespace led
