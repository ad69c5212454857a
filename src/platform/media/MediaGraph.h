#pragma once
// The media graph: plays one local file or stream address into a destination
// window, with its sound. The video area opens one graph per item and releases
// it afterwards; the volume schedule and the management handlers change its
// volume or stop it from their own threads, so every operation is safe to call
// from any thread.
//
// The owner window given to Open and SetWindowRect must stay alive until Stop
// or Release has detached it, and no operation may be called while the caller
// holds a paint session on that window (frames are painted from the graph's
// own threads).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/geometry.h"

namespace led {

class Window;

// Graph event codes the main window acts on.
namespace graph_event {
inline constexpr int kComplete = 1;      // end of stream
inline constexpr int kErrorAbort = 3;    // playback stopped by an error
inline constexpr int kNeedRestart = 20;  // the graph lost its clock and must be restarted
}  // namespace graph_event

struct GraphEvent {
    int code = 0;
    std::string detail;  // the error's text, for the log
    // The run of the graph that raised it (see RunId): an event that is
    // fetched late must not end the item that plays after it.
    uint64_t run = 0;
};

// Rectangle with inclusive right and bottom edges, as the area thread gives it.
struct EdgeRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool IsZero() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    friend bool operator==(const EdgeRect&, const EdgeRect&) = default;
};

struct MediaStats {
    uint64_t shown = 0;    // frames painted into the owner window
    uint64_t dropped = 0;  // frames the video sink dropped as too late
};

// The "local message" of a partial success (kept, never shown).
namespace open_note {
inline constexpr const char* kUnsupportedStreams =
    "Some of the streams in this movie are in an unsupported format.\n";
inline constexpr const char* kAudioNotRendered = "Partial success; the audio was not rendered.\n";
}  // namespace open_note

class MediaGraph {
public:
    virtual ~MediaGraph() = default;

    // Releases any held graph, then builds one for `name` (a file path, or an
    // address with a scheme such as "mms://", "http://", "rtsp://") and readies
    // it so that its duration and video size are known. True on success and on
    // partial success (see Note()); on failure nothing is held. The readying
    // (up to 10 s for a stream that sends nothing) holds off no other call: a
    // Stop or Release meanwhile ends it and Open fails. So does `giveUp`
    // turning true (the caller's stop, the player's shutdown), looked at
    // every few tens of milliseconds while the graph readies.
    virtual bool Open(const std::string& name, Window* owner,
                      const std::function<bool()>& giveUp = {}) = 0;
    virtual bool Run() = 0;
    // False when no graph is held or being opened. Otherwise stops it, hides
    // the picture and releases everything, pending events included.
    virtual bool Stop() = 0;
    // The same as Stop; used at the start of each Open.
    virtual bool Release() = 0;
    // Stop, but only while the held graph is still the run `run`; false (and
    // nothing touched) once another Open has followed it.
    virtual bool StopRun(uint64_t run) = 0;
    // Each successful Open starts a new run, numbered from 1; 0 when nothing
    // is held.
    virtual uint64_t RunId() const = 0;
    // Whole seconds, truncated; 0 when unknown (live streams) or nothing is held.
    virtual int64_t GetDurationSeconds() = 0;
    // Hundredths of a decibel: 0 is full volume, -10000 silent. False without a
    // graph or for a value outside that range (the volume is left as it was).
    virtual bool SetGraphVolume(int32_t volume) = 0;
    // Places the picture in the owner's client area scaled by `scale` (at most
    // 1.0): centred at its scaled size when it fits, else as large as fits
    // with its aspect ratio kept. False without a video stream.
    virtual bool FitVideo(double scale) = 0;
    // Places the picture at the rectangle, in owner coordinates; an all-zero
    // rectangle means the owner's whole client area. The picture is scaled to
    // the rectangle; the owner clips what lies outside it.
    virtual bool SetWindowRect(Window* owner, const EdgeRect& rect) = 0;

    // Takes the oldest pending event of the held graph, if any.
    virtual std::optional<GraphEvent> TakeEvent() = 0;

    virtual bool IsHeld() const = 0;
    // The partial-success text of the last Open, empty after a full success.
    virtual std::string Note() const = 0;
    // The video size as last read; empty without a video stream.
    virtual Size NativeSize() const = 0;
    // Where the picture goes in the owner window (half-open).
    virtual Rect DestRect() const = 0;
    virtual MediaStats Stats() const = 0;
    // Waits (real time) until at least `count` frames of the held graph have
    // been painted. False on time-out.
    virtual bool WaitFramesShown(uint64_t count, int64_t timeoutMs) = 0;
};

struct MediaConfig {
    // GStreamer description of the audio sink; empty uses the default sound
    // device, or discards the sound when there is none.
    std::string audioSink;
};

std::unique_ptr<MediaGraph> MakeMediaGraph(const MediaConfig& config);

// Hundredths of a decibel to a linear amplitude factor (1.0 = full); -10000
// is silence. None for values outside -10000..0.
std::optional<double> LinearVolume(int32_t hundredthsOfDb);

// The picture placement of FitVideo: the client area shrunk by `scale` about
// its centre; the video at its scaled size, centred, when it fits, else the
// largest rectangle of its aspect ratio that fits, centred on the other axis.
Rect FitPicture(Size native, Size client, double scale);

}  // namespace led
