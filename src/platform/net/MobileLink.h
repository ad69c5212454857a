#pragma once
// The mobile data link: a USB 3G/LTE modem dialled when the server cannot be
// reached over the wired network. On Linux, ModemManager finds the modem and
// NetworkManager owns the dial-up profile ("3GNET", number "*99#") and the
// connection; the player only asks.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/Process.h"

namespace led {

// The link states as the server link reports them.
enum MobileLinkState : int {
    kLinkOpeningPort = 0,
    kLinkPortOpened = 1,
    kLinkConnectingDevice = 2,
    kLinkOtherState = 5,
    kLinkConnected = 8192,
    kLinkDisconnected = 8193,
};

inline constexpr const char* kMobileEntryName = "3GNET";
inline constexpr const char* kMobileNumber = "*99#";
// The name server the dial-up profile names.
inline constexpr const char* kMobileNameServer = "8.8.8.8";

class MobileLink {
public:
    virtual ~MobileLink() = default;
    // A GSM/LTE modem is present.
    virtual bool DetectModem() = 0;
    // The dial-up profile named kMobileEntryName exists (names compare
    // without regard to case).
    virtual bool EntryExists() = 0;
    virtual bool CreateEntry() = 0;
    // Brings the profile up; true when the request was taken.
    virtual bool Dial() = 0;
    virtual int LinkState() = 0;
    // Takes the connection down and waits (up to 3 s) until it is gone.
    virtual void HangUpAndWait() = 0;
};

// Runs one nmcli command line: what nmcli printed and how it ended.
using NmcliRunner = std::function<ProcessResult(const std::vector<std::string>& args)>;

// The link through NetworkManager's command-line client. Without nmcli on the
// machine every question answers "no modem". The runner is for tests.
std::unique_ptr<MobileLink> MakeNetworkManagerLink(NmcliRunner run = {});

}  // namespace led
