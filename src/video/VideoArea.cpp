#include "video/VideoArea.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "core/VideoState.h"
#include "platform/clock/Clock.h"
#include "platform/display/Display.h"
#include "platform/events/EventLog.h"
#include "platform/fs/DeviceFs.h"
#include "platform/system/Threads.h"
#include "render/AreaFrame.h"
#include "video/MediaEvents.h"
#include "video/VideoItems.h"

namespace led {
namespace {

constexpr int64_t kPollMs = 100;         // a playing item looks at its flags this often
constexpr int64_t kHeartbeatMs = 5000;   // the supervisor's keep-alive period
constexpr int64_t kSkipMs = 101;         // an item that cannot be opened is skipped after this
constexpr int64_t kSettleMs = 100;       // after Run, and after an item ended by its play time
constexpr int64_t kFirstReportMs = 500;  // after the completion report of the first pass
constexpr int64_t kBetweenPassesMs = 1;

using RealClock = std::chrono::steady_clock;

// The keep-alive that the watchdog thread sends, sent from the waits of a
// playing item instead: every 5000 ms since the last one or since the area
// began.
class Heartbeat {
public:
    explicit Heartbeat(const Clock& clock) : clock_(clock), last_(clock.Ticks()) {}
    void Beat() {
        int64_t now = clock_.Ticks();
        if (now - last_ < kHeartbeatMs) return;
        NotifySupervisor("WATCHDOG=1");
        last_ = now;
    }

private:
    const Clock& clock_;
    int64_t last_;
};

// Takes the keep-alive over from the watchdog thread while an item plays,
// unless it is already handed over, and gives it back when the item ends.
class KeepAliveHandover {
public:
    explicit KeepAliveHandover(std::atomic<int>& flag) : flag_(flag) {
        int watchdogSends = 0;
        taken_ = flag_.compare_exchange_strong(watchdogSends, 1);
    }
    ~KeepAliveHandover() {
        if (taken_) flag_ = 0;
    }
    KeepAliveHandover(const KeepAliveHandover&) = delete;
    KeepAliveHandover& operator=(const KeepAliveHandover&) = delete;

private:
    std::atomic<int>& flag_;
    bool taken_ = false;
};

class VideoArea {
public:
    explicit VideoArea(const AreaContext& context)
        : c_(context),
          s_(context.services),
          video_(s_.video.Of(context.layer)),
          graph_(*video_.graph),
          camera_(*s_.video.camera),
          heartbeat_(s_.clock) {}

    // The exit steps, on every path out (an exception included): nothing may
    // still paint into the window when it goes.
    ~VideoArea() {
        graph_.Stop();
        camera_.Stop();
        SetCameraSwitch(s_.video, s_.events, false);
        window_.reset();
    }
    VideoArea(const VideoArea&) = delete;
    VideoArea& operator=(const VideoArea&) = delete;

    void Run();

private:
    // Each returns false when the stop flag was seen.
    bool PlayCamera();
    bool PlayFileOrStream(const AreaItem& item);

    void ReportCompletion() const {
        c_.SendCycleMessage(reinterpret_cast<uintptr_t>(kVideoCycleText));
    }
    // The area counts as having played its share at once, so that it never
    // holds a program that waits for every area to finish.
    void ReportNothingToPlay() const {
        c_.StoreCycleCount(c_.state.requiredPlaytimes.load());
        ReportCompletion();
    }
    // 100 ms of player time, but never less than a real millisecond: on a
    // fast virtual clock the item still plays in real time and need not be
    // polled thousands of times a second.
    int64_t PollStep() const { return std::max<int64_t>(kPollMs, std::llround(s_.clock.Scale())); }
    void Emit(const char* event, const EventLog::Fields& fields) const {
        EventLog::Fields all = {{"layer", LayerName(c_.layer)}, {"area", c_.AreaIndex()}};
        all.update(fields);
        s_.events.Emit(event, all);
    }

    const AreaContext& c_;
    const AreaServices& s_;
    VideoLayer& video_;
    MediaGraph& graph_;
    CameraPreview& camera_;
    Heartbeat heartbeat_;
    std::unique_ptr<Window> window_;
    EdgeRect destination_;
    int32_t cycles_ = 0;
};

void VideoArea::Run() {
    const AreaRecord& area = c_.area;
    if (area.items.empty()) {
        ReportNothingToPlay();
        return;
    }
    // Not topmost, unlike the picture-like areas: a logo area over the video
    // stays over it whichever area starts first. The picture fills the part
    // of the area on the raster.
    window_ = CreateAreaWindow(c_, "video window", false);
    if (!window_) {
        // The window cannot be made (an empty rectangle, nothing of it on the
        // raster, no display): the program's other areas must not be held up.
        spdlog::warn("{} video area {}: no window for edges {},{} to {},{}", LayerName(c_.layer),
                     c_.AreaIndex(), area.left, area.top, area.right, area.bottom);
        ReportNothingToPlay();
        return;
    }
    const Rect frame = window_->Frame();
    video_.SetVideoRect(frame);
    video_.videoSingleItem = area.items.size() == 1;
    destination_ = VideoDestination(frame.width, frame.height);

    while (!c_.StopRequested()) {
        for (const AreaItem& item : area.items) {
            bool going =
                item.streamtype == stream_type::kCamera ? PlayCamera() : PlayFileOrStream(item);
            if (!going || c_.StopRequested()) return;
        }
        c_.StoreCycleCount(++cycles_);
        if (cycles_ == 1) {
            ReportCompletion();
            c_.Sleep(kFirstReportMs);
        }
        c_.Sleep(kBetweenPassesMs);
    }
}

bool VideoArea::PlayCamera() {
    graph_.Stop();
    camera_.Stop();
    SetCameraSwitch(s_.video, s_.events, true);
    video_.BeginItem();
    Size size = ReadCameraSize(s_.fs);
    camera_.Start(video_.VideoRect(), window_.get(), size.width, size.height);
    Emit("video-start", {{"name", "camera"}, {"width", size.width}, {"height", size.height}});

    // No play time of its own: the camera shows until someone clears
    // videoPlaying or the program stops.
    KeepAliveHandover handover(s_.keepAliveHandover);
    for (;;) {
        if (c_.StopRequested()) {
            graph_.Stop();
            video_.videoPlaying = false;
            Emit("video-end", {{"reason", "stop"}});
            return false;
        }
        if (!video_.videoPlaying) break;
        heartbeat_.Beat();
        c_.Sleep(PollStep());
    }
    Emit("video-end", {{"reason", "ended"}});
    return true;
}

bool VideoArea::PlayFileOrStream(const AreaItem& item) {
    graph_.Stop();
    camera_.Stop();
    SetCameraSwitch(s_.video, s_.events, false);
    video_.BeginItem();
    // A path that does not resolve inside its volume is never opened.
    const std::string name = MediaName(item, s_.fs);
    // A stream may take seconds to send its first frame; a stop or the
    // player's shutdown meanwhile ends the opening.
    const bool opened =
        !name.empty() && graph_.Open(name, window_.get(), [this] { return c_.StopRequested(); });
    const int64_t playSeconds = graph_.GetDurationSeconds() + 1;
    // The board path in the log, not where the device root happens to lie.
    const std::string shown = item.streamtype == stream_type::kNetwork ? name : item.path;
    if (!opened && c_.StopRequested()) {
        // Given up for the stop, not failed.
        video_.videoPlaying = false;
        return false;
    }
    if (!opened) {
        // Logged on the first pass only: a list that keeps failing retries
        // every 101 ms per item.
        if (cycles_ == 0) {
            spdlog::warn("{} video area {}: cannot play {}", LayerName(c_.layer), c_.AreaIndex(),
                         shown);
            Emit("video-failed", {{"name", shown}});
        }
        c_.Sleep(kSkipMs);
        video_.videoPlaying = false;
        return true;
    }
    video_.TieItem(graph_.RunId());
    graph_.FitVideo(1.0);
    graph_.SetGraphVolume(GraphVolume(s_.volume.load()));
    graph_.SetWindowRect(window_.get(), destination_);
    graph_.Run();
    // The picture runs at its own pace, so its play time is real time.
    const RealClock::time_point end = RealClock::now() + std::chrono::seconds(playSeconds);
    Emit("video-start", {{"name", shown}, {"playtime", playSeconds}});

    KeepAliveHandover handover(s_.keepAliveHandover);
    c_.Sleep(kSettleMs);
    const char* reason = "ended";
    bool going = true;
    for (;;) {
        if (c_.StopRequested()) {
            graph_.Stop();
            video_.videoPlaying = false;
            reason = "stop";
            going = false;
            break;
        }
        if (!video_.videoPlaying) {
            graph_.Stop();
            break;
        }
        if (RealClock::now() >= end) {
            graph_.Stop();
            video_.videoTimedOut = true;
            c_.Sleep(kSettleMs);
            video_.videoPlaying = false;
            reason = "time";
            break;
        }
        heartbeat_.Beat();
        c_.Sleep(PollStep());
    }
    graph_.Stop();
    Emit("video-end", {{"reason", reason}});
    return going;
}

}  // namespace

void RunVideoArea(const AreaContext& context) {
    VideoArea area(context);
    area.Run();
}

}  // namespace led
