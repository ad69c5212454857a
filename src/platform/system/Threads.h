#pragma once

namespace led {

// The board's eight-level scale: 3 is normal, 4 below normal. Normal maps to
// nice 0 and below normal to nice 5; nothing needs real-time scheduling.
void SetCurrentThreadPriority(int boardPriority);
// Names the calling thread for debuggers and top (at most 15 characters).
void SetCurrentThreadName(const char* name);

// Tells a supervising systemd that the player is alive ("WATCHDOG=1") or
// ready ("READY=1"). Does nothing when not run under systemd.
void NotifySupervisor(const char* state);

}  // namespace led
