#pragma once
// One TCP control connection: frames in, handlers, replies out, until the peer
// closes, an error, the silence limit or the player's end. Sessions accepted
// on the control port run for the PC tool; the server link runs the same body
// on its outgoing connection.

#include "platform/net/Socket.h"

namespace led {

class Player;
class MediaCleanup;

// PC tool: a connection accepted on the control port; server link: the
// player's outgoing connection; text: a connection on the text port, which
// acts on text messages (code 111) only.
enum class SessionMode { PcTool = 0, ServerLink = 1, Text = 2 };

// Runs the session on `socket` until it ends; returns why ("peer closed",
// "silence", "error", "shutdown").
// `cleanup` is the media clean-up the sessions of one listener share (none:
// installs leave the media directory as it is).
const char* RunControlSession(Player& player, Socket socket, const Endpoint& peer, SessionMode mode,
                              MediaCleanup* cleanup = nullptr);

// What a session's end leaves of an upload it was running: the status
// icons go (the tool may have left between two files, with the spinner
// still up), and a peer that closed or broke the connection mid-upload
// gives playback back. A session ended by silence leaves the hold to the
// next upload.
void EndSessionUpload(Player& player, const char* reason);

}  // namespace led
