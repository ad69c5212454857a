#pragma once
// Everything the player reads from ledplayer.conf and the command line. The
// keys are declared once, in Options.cpp (name, default, help, flag); the
// parser, `--help-config` and the README's table all come from there.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace led {

struct Settings {
    // device and run
    std::string root = "var/device";
    std::string volumeNand;
    std::string volumeStorageCard;
    std::string volumeStorageCardSd;
    std::string volumeHdd;
    std::string eventsFile;
    std::string logLevel = "info";
    double runFor = 0;  // seconds of player time; 0 runs until stopped
    // time
    std::string clockStart;  // "YYYY-MM-DD HH:MM:SS": run on virtual time
    double timeScale = 1.0;
    // display
    std::string backend = "auto";  // auto | headless | sdl
    std::string size;              // "WxH": the screen (output) size; empty = 1920x1080
    // raster | screen: what the window and snapshots show of the raster
    std::string preview = "raster";
    std::string snapshotDir;
    double snapshotEvery = 0;  // seconds of player time; 0 = no snapshots
    int osdTextMode = 0;       // 1: clock and sensor areas export to the OSD files
    std::string locale;        // clock names; empty = C
    // system
    std::string
        networkInterface;        // empty: first interface with an IPv4 address that is not loopback
    std::string rebootCommand;   // empty: a reboot request is only logged
    std::string startupCommand;  // stands in for running "\nand\fexplorer.exe"
    std::string setTimeCommand;  // empty: setting the clock only changes virtual time
    // serial
    std::string serialCom3;  // device path of "COM3:" (receiving card); empty = no card
    std::string serialCom4;  // device path of "COM4:" (sensor/relay board); empty = none
    int auxPortMode = 0;     // 0: COM4 at 115200, 1: at 9600, other: COM4 closed
    // media
    long imageMaxPixels = 8192L * 8192L;
    std::string cameraSource = "v4l2src device=/dev/video0";
    std::string audioSink;     // empty: autoaudiosink, falling back to fakesink
    std::string gpioChip;      // camera switch line, e.g. "gpiochip0:17"; empty = none
    std::string mixerElement;  // ALSA mixer element for the wave volume; empty = none
    // network control
    std::string listenAddress;  // empty: every address, as the board listens
    int tcpPort = 5002;         // control sessions; 0 picks a free port
    int udpPort = 5001;         // discovery and configuration; 0 picks a free port
    int textPort = 5005;        // text messages; 0 picks a free port
    std::string allow;          // addresses and CIDR ranges allowed to send commands; empty: all
    int maxSessions = 64;
    std::string broadcastAddress = "255.255.255.255";  // where discovery with length 0 is answered
    int clockSync = 1;                                 // 1: SyncClock over TCP sets the clock
    int statusIcons = 1;  // 1: transfers draw their status icons on the main window
};

struct Option {
    std::string key;   // "display.backend"
    std::string flag;  // "--backend", or empty when only the file sets it
    std::string help;
    std::function<bool(Settings&, const std::string&)> set;
    std::function<std::string(const Settings&)> get;
};

const std::vector<Option>& Options();
const Option* FindOption(const std::string& key);

// Reads an INI file: "[section]" lines, "key = value" lines, "#" or ";"
// comments. Keys are "section.key". Unknown keys and bad values are reported in
// `errors` and otherwise ignored. Returns false when the file cannot be read.
bool LoadSettingsFile(const std::string& path, Settings& settings,
                      std::vector<std::string>& errors);
bool ApplySetting(Settings& settings, const std::string& key, const std::string& value,
                  std::string& error);

// The Markdown table of every key, for the README and `--help-config`.
std::string OptionsMarkdown();

}  // namespace led
