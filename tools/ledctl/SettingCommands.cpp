// brightness, screen, volume, relay, get-file and send-file: the player's
// settings. Values are read over UDP (relayed reads over TCP yield only an
// acknowledgement) and written over TCP.

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "Cli.h"
#include "client/Schedules.h"

namespace ledctl {
namespace {

using nlohmann::json;

// The settings files the player reads and writes whole.
struct SettingsFile {
    const char* name;  // what ledctl calls it
    const char* file;  // the player's file
    int getCode;       // -1: not readable
    int setCode;       // -1: not writable
    bool getTcpOnly;
};

const SettingsFile kFiles[] = {
    {"para", "para.dat", 5, -1, false},
    {"router", "router.dat", 6, -1, false},
    {"link", "link.dat", 7, -1, false},
    {"brightness-schedule", "brightAdj.dat", 23, 22, false},
    {"link-position", "linkposadj.dat", 45, -1, false},
    {"link-size", "linkwh.dat", 46, -1, false},
    {"link-size-adj", "linkwhadj.dat", 47, -1, false},
    {"auto-brightness", "autobright.dat", 48, 38, false},
    {"power-schedule", "poweronoff.dat", 49, 39, false},
    {"brightness-type", "brighttype.dat", 51, -1, false},
    {"relay-schedule", "relayschedule.dat", 54, 53, false},
    {"volume-schedule", "adjvolume.dat", 58, 57, false},
    {"module", "moduletablefile.dat", 69, -1, false},
    {"mac", "mac.dat", 71, -1, false},
    {"white-balance", "writebalance.dat", 82, -1, false},
    {"colour", "color.dat", 84, -1, false},
    {"auto-timer", "autotimerfile.dat", 86, 85, false},
    {"reset-schedule", "setresetfile.dat", 89, 88, false},
    {"temperature-control", "recctrlswitch.dat", 92, 91, false},
    {"storage-place", "storeplace.txt", 99, -1, true},
};

const SettingsFile& FindFile(const std::string& name, bool forWriting) {
    for (const auto& f : kFiles)
        if (name == f.name && (forWriting ? f.setCode : f.getCode) >= 0) return f;
    std::string names;
    for (const auto& f : kFiles)
        if ((forWriting ? f.setCode : f.getCode) >= 0) names += std::string(" ") + f.name;
    throw UsageError("unknown file \"" + name + "\"; one of:" + names);
}

Bytes ReadFileBytes(const SettingsFile& f, const Target& target) {
    if (f.getTcpOnly) {
        TcpSession tcp = target.Tcp();
        return tcp.Request(uint8_t(f.getCode), {}, std::string("the file ") + f.file).payload;
    }
    return target.Udp()
        .Request(target.host, target.udpPort, uint8_t(f.getCode), {},
                 std::string("the file ") + f.file)
        .payload;
}

Bytes LocalFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Relayed writes are acknowledged before the player has done them: polls
// `done` until it holds or the time-out passes.
template <typename F>
void WaitUntil(Commands& c, F&& done, const std::string& failure) {
    auto deadline = std::chrono::steady_clock::now() + c.target.Timeout();
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) throw Failure(failure);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// Writes a settings file and reads it back until it holds what was sent:
// relayed writes are acknowledged before the player has done them.
void WriteAndConfirm(Commands& c, const SettingsFile& f, const Bytes& bytes) {
    std::string what = std::string("the file ") + f.file;
    // A power schedule shorter than one record only deletes the file.
    const bool deletes = f.setCode == 39 && bytes.size() < 3;
    {
        TcpSession tcp = c.target.Tcp();
        if (deletes)
            tcp.Send(39, bytes);  // and answers nothing
        else
            tcp.RequestAck(uint8_t(f.setCode), bytes, what);
    }
    if (f.getCode < 0) return;
    const Bytes expected = deletes ? Bytes{} : bytes;
    WaitUntil(
        c, [&] { return ReadFileBytes(f, c.target) == expected; },
        "the player acknowledged " + what + " but does not hold it");
}

// The schedule parsers speak std::invalid_argument; here that is a usage error.
template <typename F>
auto Parsed(F&& parse) {
    try {
        return parse();
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

bool FileEmpty(Commands& c, const char* name) {
    return ReadFileBytes(FindFile(name, false), c.target).empty();
}

// Writes that drop a schedule the name does not mention: refused without
// --yes when the player holds such a schedule.
void RequireYesWhenHeld(Commands& c, bool yes, std::initializer_list<const char*> files,
                        const std::string& action) {
    if (yes) return;
    std::string held;
    for (const char* name : files)
        if (!FileEmpty(c, name)) held += held.empty() ? name : std::string(" and ") + name;
    if (!held.empty())
        throw UsageError(action + " deletes the player's " + held + "; add --yes to go ahead");
}

const char* BrightnessTypeName(int type) {
    switch (type) {
        case 0: return "off";
        case 1: return "manual";
        case 2: return "time table";
        case 3: return "light sensor";
        default: return "unknown";
    }
}

void AddBrightness(Commands& c) {
    auto* b = c.app.add_subcommand("brightness", "Reads and sets the screen brightness.");
    b->require_subcommand(1);

    auto* get =
        b->add_subcommand("get", "The level last sent to the card and the brightness type (UDP).");
    c.On(get, [&c] {
        UdpExchange udp = c.target.Udp();
        Frame level = udp.Request(c.target.host, c.target.udpPort, 21, {}, "the brightness (21)");
        if (level.payload.size() != 1)
            throw Failure("the brightness answer has " + std::to_string(level.payload.size()) +
                          " bytes, not 1");
        Frame type =
            udp.Request(c.target.host, c.target.udpPort, 50, {}, "the brightness type (50)");
        int kind = type.payload.size() >= 2 ? type.payload[1] : -1;
        c.out.Result()["level"] = level.payload[0];
        c.out.Result()["type"] = kind;
        c.out.Line("brightness " + std::to_string(level.payload[0]) + " (" +
                   BrightnessTypeName(kind) + ")");
    });

    auto* set = b->add_subcommand(
        "set",
        "Sets a fixed level 0..255 (command 20). This switches brightness to manual and "
        "deletes "
        "the player's brightness time table and light-sensor settings: when it has either, "
        "--yes is required.");
    auto level = std::make_shared<std::string>();
    auto yes = std::make_shared<bool>(false);
    set->add_option("LEVEL", *level, "0..255")->required();
    set->add_flag("--yes", *yes, "Go ahead although schedules are deleted");
    c.On(set, [&c, level, yes] {
        uint8_t value = ParseByte(*level, 0, 255, "LEVEL");
        RequireYesWhenHeld(c, *yes, {"brightness-schedule", "auto-brightness"},
                           "a fixed brightness");
        c.target.Tcp().RequestAck(20, Bytes{value}, "the brightness (20)");
        UdpExchange udp = c.target.Udp();
        WaitUntil(
            c,
            [&] {
                return udp.Request(c.target.host, c.target.udpPort, 21, {}, "the brightness (21)")
                           .payload == Bytes{value};
            },
            "the player acknowledged brightness " + std::to_string(value) +
                " but does not report it");
        c.out.Result()["level"] = value;
        c.out.Line("brightness set to " + std::to_string(value));
    });

    auto* schedule = b->add_subcommand(
        "schedule",
        "Shows the brightness time table, or with WINDOWS replaces it (command 22): "
        "\"08:00-18:00=200,18:00-08:00=40\" (at most 40 windows; \"none\" empties it). It "
        "applies while the brightness type is time table.");
    auto windowsText = std::make_shared<std::string>();
    auto given =
        schedule->add_option("WINDOWS", *windowsText, "Windows HH:MM-HH:MM=LEVEL, comma-separated");
    c.On(schedule, [&c, windowsText, given] {
        if (given->count() > 0) {
            auto windows = Parsed([&] { return ParseLevelWindows(*windowsText, 255, 40); });
            WriteAndConfirm(c, FindFile("brightness-schedule", true), EncodeLevelWindows(windows));
            c.out.Line("brightness schedule written (" + std::to_string(windows.size()) +
                       " windows)");
        }
        json list = json::array();
        for (const auto& w :
             DecodeLevelWindows(ReadFileBytes(FindFile("brightness-schedule", false), c.target))) {
            list.push_back(FormatLevelWindow(w));
            c.out.Line(FormatLevelWindow(w));
        }
        c.out.Result()["windows"] = list;
    });
}

void AddScreen(Commands& c) {
    auto* s = c.app.add_subcommand("screen", "Switches the screen output on or off (over TCP).");
    s->require_subcommand(1);
    auto power = std::make_shared<bool>(false);
    auto yes = std::make_shared<bool>(false);

    auto* on = s->add_subcommand(
        "on",
        "Switches the screen output on (command 29). With --power instead: the power-on state "
        "(command 40): brightness sent again and playback resumed; this deletes the power "
        "schedule (poweronoff.dat) and needs --yes.");
    on->add_flag("--power", *power, "Use the power state (deletes the power schedule)");
    on->add_flag("--yes", *yes, "Go ahead although the power schedule is deleted");
    c.On(on, [&c, power, yes] {
        if (*power) {
            if (!*yes) throw UsageError("screen on --power deletes the power schedule; add --yes");
            c.target.Tcp().RequestAck(40, Bytes{1}, "the screen power (40)");
            WaitUntil(
                c, [&] { return FileEmpty(c, "power-schedule"); },
                "the player acknowledged the power state but keeps its power schedule");
        } else {
            c.target.Tcp().RequestAck(29, {}, "the screen on (29)");
        }
        c.out.Line("screen on");
    });

    auto* off = s->add_subcommand(
        "off",
        "Switches the screen output off (command 28). Side effect: the player deletes its "
        "brightness time table (brightAdj.dat) and its power schedule (poweronoff.dat), so "
        "--yes is required. With --power: the power-off state (command 40), which stops "
        "playback and deletes the power schedule.");
    off->add_flag("--power", *power, "Use the power state (stops playback)");
    off->add_flag("--yes", *yes, "Go ahead although schedules are deleted");
    c.On(off, [&c, power, yes] {
        if (!*yes)
            throw UsageError(*power ? "screen off --power deletes the power schedule; add --yes"
                                    : "screen off deletes the brightness time table and the power "
                                      "schedule; add --yes");
        if (*power)
            c.target.Tcp().RequestAck(40, Bytes{0}, "the screen power (40)");
        else
            c.target.Tcp().RequestAck(28, Bytes{0}, "the screen off (28)");
        WaitUntil(
            c,
            [&] {
                return FileEmpty(c, "power-schedule") &&
                       (*power || FileEmpty(c, "brightness-schedule"));
            },
            "the player acknowledged the screen off but keeps its schedules");
        c.out.Line("screen off");
    });
}

void AddVolume(Commands& c) {
    auto* v = c.app.add_subcommand("volume", "Sets the sound volume.");
    v->require_subcommand(1);
    auto* set = v->add_subcommand(
        "set",
        "Sets the volume 0..100 for sound and video (command 55). This deletes the volume "
        "schedule: when the player has one, --yes is required.");
    auto value = std::make_shared<std::string>();
    auto yes = std::make_shared<bool>(false);
    set->add_option("PERCENT", *value, "0..100")->required();
    set->add_flag("--yes", *yes, "Go ahead although the volume schedule is deleted");
    c.On(set, [&c, value, yes] {
        uint8_t percent = ParseByte(*value, 0, 100, "PERCENT");
        RequireYesWhenHeld(c, *yes, {"volume-schedule"}, "a fixed volume");
        c.target.Tcp().RequestAck(55, Bytes{percent}, "the volume (55)");
        WaitUntil(
            c, [&] { return FileEmpty(c, "volume-schedule"); },
            "the player acknowledged the volume but keeps its volume schedule");
        c.out.Result()["volume"] = percent;
        c.out.Line("volume set to " + std::to_string(percent));
    });
    auto* schedule = v->add_subcommand(
        "schedule",
        "Shows the volume schedule, or with WINDOWS replaces it (command 57): up to 3 windows "
        "\"08:00-18:00=80\" with volumes 0..100; \"none\" empties it.");
    auto windowsText = std::make_shared<std::string>();
    auto given = schedule->add_option("WINDOWS", *windowsText, "Windows HH:MM-HH:MM=PERCENT");
    c.On(schedule, [&c, windowsText, given] {
        if (given->count() > 0) {
            auto windows = Parsed([&] { return ParseLevelWindows(*windowsText, 100, 3); });
            // The file always holds three records; unused ones hold no time.
            Bytes records = EncodeLevelWindows(windows);
            records.resize(15, 0);
            WriteAndConfirm(c, FindFile("volume-schedule", true), records);
            c.out.Line("volume schedule written");
        }
        json list = json::array();
        for (const auto& w :
             DecodeLevelWindows(ReadFileBytes(FindFile("volume-schedule", false), c.target))) {
            list.push_back(FormatLevelWindow(w));
            c.out.Line(FormatLevelWindow(w));
        }
        c.out.Result()["windows"] = list;
    });
}

void AddRelay(Commands& c) {
    auto* r = c.app.add_subcommand("relay", "Switches the relays of the sensor and relay board.");
    r->require_subcommand(1);
    auto* set = r->add_subcommand(
        "set",
        "Switches relays now and keeps the states for the next start (command 70): "
        "\"0=on,3=off\" (relays 0..3). The states given replace all saved states; relays not "
        "named are not switched at the next start.");
    auto states = std::make_shared<std::string>();
    set->add_option("STATES", *states, "RELAY=on|off, comma-separated")->required();
    c.On(set, [&c, states] {
        Bytes records = Parsed([&] { return ParseRelayStates(*states); });
        c.target.Tcp().RequestAck(70, records, "the relay states (70)");
        c.out.Line("relays switched");
    });
    auto* schedule = r->add_subcommand(
        "schedule",
        "Shows the relay schedule, or with WINDOWS replaces it (command 53): "
        "\"1@08:00:00-18:00:00,2@20:00:00-06:00:00\" (relays 1..4, at most 20 windows; "
        "\"none\" empties it).");
    auto windowsText = std::make_shared<std::string>();
    auto given = schedule->add_option("WINDOWS", *windowsText, "Windows RELAY@HH:MM:SS-HH:MM:SS");
    c.On(schedule, [&c, windowsText, given] {
        if (given->count() > 0) {
            auto windows = Parsed([&] { return ParseRelayWindows(*windowsText); });
            WriteAndConfirm(c, FindFile("relay-schedule", true), EncodeRelayWindows(windows));
            c.out.Line("relay schedule written");
        }
        json list = json::array();
        for (const auto& w :
             DecodeRelayWindows(ReadFileBytes(FindFile("relay-schedule", false), c.target))) {
            list.push_back(FormatRelayWindow(w));
            c.out.Line(FormatRelayWindow(w));
        }
        c.out.Result()["windows"] = list;
    });
}

std::string FileNames(bool forWriting) {
    std::string names;
    for (const auto& f : kFiles)
        if ((forWriting ? f.setCode : f.getCode) >= 0)
            names += std::string(names.empty() ? "" : ", ") + f.name + " (" + f.file + ")";
    return names;
}

void AddFiles(Commands& c) {
    auto* get = c.app.add_subcommand(
        "get-file", "Reads one of the player's settings files whole: " + FileNames(false) +
                        ". An empty answer means the player has no such file.");
    auto name = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    get->add_option("NAME", *name, "Which file")->required();
    get->add_option("-o,--output", *output,
                    "Write the bytes here (default: print them in hexadecimal)");
    c.On(get, [&c, name, output] {
        const auto& f = FindFile(*name, false);
        Bytes bytes = ReadFileBytes(f, c.target);
        c.out.Result()["file"] = f.file;
        c.out.Result()["size"] = bytes.size();
        if (!output->empty()) {
            std::ofstream out(*output, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            if (!out) throw Failure("cannot write " + *output);
            c.out.Line(std::string(f.file) + ": " + std::to_string(bytes.size()) + " bytes to " +
                       *output);
        } else {
            c.out.Result()["hex"] = Hex(bytes);
            c.out.Line(std::string(f.file) + ": " + std::to_string(bytes.size()) + " bytes" +
                       (bytes.empty() ? " (the player has none)" : "\n" + Hex(bytes)));
        }
    });

    auto* send = c.app.add_subcommand(
        "send-file", "Replaces one of the player's settings files with a local file: " +
                         FileNames(true) + ". At most 4096 bytes.");
    auto target = std::make_shared<std::string>();
    auto path = std::make_shared<std::string>();
    send->add_option("NAME", *target, "Which file")->required();
    send->add_option("FILE", *path, "The local file")->required();
    c.On(send, [&c, target, path] {
        const auto& f = FindFile(*target, true);
        Bytes bytes = LocalFile(*path);
        if (bytes.size() > kMaxCommandPayload)
            throw UsageError(*path + " has " + std::to_string(bytes.size()) +
                             " bytes; at most 4096 fit in one command");
        if (f.setCode == 38 && bytes.size() != 4)
            throw UsageError(
                "the light-sensor settings are 4 bytes: low threshold, low level, "
                "high threshold, high level");
        WriteAndConfirm(c, f, bytes);
        c.out.Result()["file"] = f.file;
        c.out.Result()["size"] = bytes.size();
        c.out.Line(std::string(f.file) + ": " + std::to_string(bytes.size()) + " bytes sent");
    });
}

}  // namespace

void AddSettingCommands(Commands& c) {
    AddBrightness(c);
    AddScreen(c);
    AddVolume(c);
    AddRelay(c);
    AddFiles(c);
}

}  // namespace ledctl
