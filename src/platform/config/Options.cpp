#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/config/Settings.h"

namespace led {
namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

Option Text(std::string key, std::string flag, std::string Settings::*field, std::string help) {
    return {std::move(key), std::move(flag), std::move(help),
            [field](Settings& s, const std::string& v) {
                s.*field = v;
                return true;
            },
            [field](const Settings& s) { return s.*field; }};
}

// A text that must be one of `values`.
Option Choice(std::string key, std::string flag, std::string Settings::*field,
              std::vector<std::string> values, std::string help) {
    return {std::move(key), std::move(flag), std::move(help),
            [field, values = std::move(values)](Settings& s, const std::string& v) {
                std::string t = Trim(v);
                if (std::find(values.begin(), values.end(), t) == values.end()) return false;
                s.*field = t;
                return true;
            },
            [field](const Settings& s) { return s.*field; }};
}

template <typename T>
Option Number(std::string key, std::string flag, T Settings::*field, std::string help) {
    return {std::move(key), std::move(flag), std::move(help),
            [field](Settings& s, const std::string& v) {
                std::string t = Trim(v);
                if constexpr (std::is_floating_point_v<T>) {
                    try {
                        size_t used = 0;
                        double d = std::stod(t, &used);
                        if (used != t.size()) return false;
                        s.*field = T(d);
                        return true;
                    } catch (...) {
                        return false;
                    }
                } else {
                    T value{};
                    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
                    if (ec != std::errc() || p != t.data() + t.size()) return false;
                    s.*field = value;
                    return true;
                }
            },
            [field](const Settings& s) {
                std::ostringstream out;
                out << s.*field;
                return out.str();
            }};
}

std::vector<Option> MakeOptions() {
    return {
        Text("device.root", "--root", &Settings::root,
             "Device root: one directory per board volume (nand, Storage Card, Storage Card 1_0, "
             "HDD)."),
        Text("device.nand", "", &Settings::volumeNand,
             "Directory of the \\nand\\ volume instead of <root>/nand."),
        Text("device.storage-card", "", &Settings::volumeStorageCard,
             "Directory of the \\Storage Card\\ volume (Flash run mode)."),
        Text("device.storage-card-sd", "", &Settings::volumeStorageCardSd,
             "Directory of the \\Storage Card 1_0\\ volume (SD-card run mode)."),
        Text("device.hdd", "", &Settings::volumeHdd,
             "Directory of the \\HDD\\ volume (USB disk mount point)."),
        Text("log.events", "--events", &Settings::eventsFile,
             "Write one JSON object per line for every event (proof of play, commands, card "
             "traffic)."),
        Text("log.level", "--log-level", &Settings::logLevel,
             "trace, debug, info, warn, error or off."),
        Number("run.for", "--run-for", &Settings::runFor,
               "Stop cleanly (status 0) after this many seconds of player time; 0 runs forever."),
        Text("clock.start", "--clock-start", &Settings::clockStart,
             "Run on virtual time starting at \"YYYY-MM-DD HH:MM:SS\"."),
        Number("clock.time-scale", "--time-scale", &Settings::timeScale,
               "Speed of virtual time relative to real time (with or without --clock-start)."),
        Text("display.backend", "--backend", &Settings::backend,
             "auto (sdl when a display is available, else headless), headless or sdl."),
        Text("display.size", "--size", &Settings::size,
             "Screen size WxH (empty: 1920x1080). It only decides the output raster, the image "
             "everything is drawn on: a screen of 600 lines gets a raster of its own size, any "
             "other a 1920x1080 one, and \\Storage Card 1_0\\testconfig.txt overrides both. It "
             "does not size the preview window: see display.preview."),
        Choice("display.preview", "--preview", &Settings::preview, {"raster", "screen"},
               "What the window and snapshots show: raster (the whole output raster) or screen "
               "(only the playlist's screen, with the OSD band when there is one, enlarged by the "
               "largest whole factor that fits the desktop, or 1920x1080 for snapshots). The "
               "raster and screen capture stay the same."),
        Number("display.osd-text-mode", "", &Settings::osdTextMode,
               "1: the clock, countdown and sensor areas write their layout to the OSD files "
               "under \\nand\\osd\\ and do not show their own drawing; 0: they draw."),
        Text("display.locale", "", &Settings::locale,
             "Locale of the clock's weekday and month names and AM/PM (%a %A %b %B %p); empty: "
             "the C locale's English names."),
        Text("display.snapshot-dir", "--snapshot-dir", &Settings::snapshotDir,
             "Directory for PNG snapshots of what display.preview shows, named "
             "YYYYMMDD-HHMMSS.png."),
        Number("display.snapshot-every", "--snapshot-every", &Settings::snapshotEvery,
               "Seconds of player time between snapshots; 0 takes none."),
        Text("system.interface", "--interface", &Settings::networkInterface,
             "Network interface whose MAC and IP the player reports; empty picks the first "
             "non-loopback IPv4 interface."),
        Text("system.reboot-command", "", &Settings::rebootCommand,
             "Command run for a device restart request; empty only logs the request."),
        Text("system.startup-command", "", &Settings::startupCommand,
             "Command run one second after start (the board's file explorer); empty runs nothing."),
        Text("system.set-time-command", "", &Settings::setTimeCommand,
             "Command that sets the system clock, given \"YYYY-MM-DD HH:MM:SS\"; empty changes "
             "only virtual time."),
        Text("serial.com3", "--com3", &Settings::serialCom3,
             "Device of \"COM3:\", the receiving card (e.g. /dev/ttyS3 or a cardsim pty); empty "
             "leaves it closed."),
        Text("serial.com4", "--com4", &Settings::serialCom4,
             "Device of \"COM4:\", the sensor and relay board; empty leaves it closed."),
        Number(
            "serial.aux-port-mode", "", &Settings::auxPortMode,
            "COM4 speed: 0 opens it at 115200 baud, 1 at 9600, any other value leaves it closed."),
        Number("media.image-max-pixels", "", &Settings::imageMaxPixels,
               "Pictures with more pixels than this are not loaded."),
        Text("media.camera-source", "", &Settings::cameraSource,
             "GStreamer source of the camera input (raw video), e.g. \"videotestsrc "
             "is-live=true\"."),
        Text("media.audio-sink", "", &Settings::audioSink,
             "GStreamer audio sink; empty uses autoaudiosink, or fakesink when there is no sound "
             "device."),
        Text(
            "media.gpio-camera-switch", "", &Settings::gpioChip,
            "GPIO line of the camera switch, as chip:offset (e.g. \"gpiochip0:17\") or a line name "
            "from the board's device tree; empty means none (its changes are only logged)."),
        Text("media.mixer-element", "", &Settings::mixerElement,
             "ALSA mixer element of the default sound card (e.g. \"Master\", \"PCM\") that the "
             "volume keys and schedule set; empty means none."),
        Text("net.listen-address", "", &Settings::listenAddress,
             "Address the control ports listen on; empty listens on every address, as the board "
             "does (127.0.0.1 keeps management to this machine)."),
        Number("net.tcp-port", "", &Settings::tcpPort,
               "TCP port of the control sessions of the PC tool; 0 picks a free port (logged in "
               "the \"listening\" event)."),
        Number("net.udp-port", "", &Settings::udpPort,
               "UDP port of discovery and configuration, also the target of the sessions' relay; "
               "0 picks a free port."),
        Number("net.text-port", "", &Settings::textPort,
               "TCP port of the text-message sessions; 0 picks a free port."),
        Text("net.allow", "", &Settings::allow,
             "Addresses and CIDR ranges (comma-separated, e.g. \"192.168.1.0/24, 10.0.0.7\") "
             "allowed to send commands; empty allows everyone, as the boards do. The protocol has "
             "no authentication and can erase storage or reboot: restrict it on open networks. "
             "Refused peers are logged and get no answer."),
        Number("net.max-sessions", "", &Settings::maxSessions,
               "Most control sessions open at once; a connection beyond it is closed at once."),
        Text("net.broadcast-address", "", &Settings::broadcastAddress,
             "Where a discovery request of length 0 is answered (the whole segment)."),
        Number("net.clock-sync", "", &Settings::clockSync,
               "1: the SyncClock command of a control session sets the clock; 0 ignores it."),
        Number("net.status-icons", "", &Settings::statusIcons,
               "1: transfers draw their status icons on the main window; 0 draws none."),
    };
}

}  // namespace

const std::vector<Option>& Options() {
    static const std::vector<Option> options = MakeOptions();
    return options;
}

const Option* FindOption(const std::string& key) {
    for (const auto& o : Options())
        if (o.key == key) return &o;
    return nullptr;
}

bool ApplySetting(Settings& settings, const std::string& key, const std::string& value,
                  std::string& error) {
    const Option* option = FindOption(key);
    if (!option) {
        error = "unknown key \"" + key + "\"";
        return false;
    }
    if (!option->set(settings, value)) {
        error = "bad value \"" + value + "\" for " + key;
        return false;
    }
    return true;
}

bool LoadSettingsFile(const std::string& path, Settings& settings,
                      std::vector<std::string>& errors) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line, section;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') continue;
        if (t.front() == '[' && t.back() == ']') {
            section = Trim(t.substr(1, t.size() - 2));
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            errors.push_back(path + ":" + std::to_string(number) + ": expected key = value");
            continue;
        }
        std::string key = Trim(t.substr(0, eq));
        if (!section.empty()) key = section + "." + key;
        std::string value = Trim(t.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        std::string error;
        if (!ApplySetting(settings, key, value, error))
            errors.push_back(path + ":" + std::to_string(number) + ": " + error);
    }
    return true;
}

std::string OptionsMarkdown() {
    Settings defaults;
    std::string out = "| key | flag | default | meaning |\n|---|---|---|---|\n";
    for (const auto& o : Options()) {
        std::string def = o.get(defaults);
        out += "| `" + o.key + "` | " + (o.flag.empty() ? "" : "`" + o.flag + "`") + " | " +
               (def.empty() ? "" : "`" + def + "`") + " | " + o.help + " |\n";
    }
    return out;
}

}  // namespace led
