// discover, info, clock, test-pattern, reboot and raw.

#include <cstdio>
#include <ctime>

#include "Cli.h"
#include "client/Device.h"
#include "client/Error.h"

namespace ledctl {
namespace {

using nlohmann::json;

json ToJson(const DeviceDescription& d) {
    json j = {{"ip", d.ip},          {"mask", d.mask},       {"gateway", d.gateway},
              {"mac", d.mac},        {"version", d.version}, {"playerType", d.playerType},
              {"account", d.account}};
    if (!d.from.empty()) j["from"] = d.from;
    if (d.boardSupport) j["boardSupport"] = *d.boardSupport;
    return j;
}

std::string Describe(const DeviceDescription& d) {
    std::string text = d.from.empty() ? "" : d.from + ": ";
    text += d.playerType.empty() ? "(no player type)" : d.playerType;
    text += " version " + d.version + ", ip " + d.ip + " mask " + d.mask + " gateway " + d.gateway +
            ", mac " + d.mac + ", account \"" + d.account + "\"";
    if (d.boardSupport) text += ", bsp \"" + *d.boardSupport + "\"";
    return text;
}

// The clock payload: 32-bit year, then month, day, hour, minute, second.
Bytes ClockPayload(const std::tm& t) {
    uint32_t year = uint32_t(t.tm_year + 1900);
    return {uint8_t(year),       uint8_t(year >> 8),    uint8_t(year >> 16),
            uint8_t(year >> 24), uint8_t(t.tm_mon + 1), uint8_t(t.tm_mday),
            uint8_t(t.tm_hour),  uint8_t(t.tm_min),     uint8_t(t.tm_sec)};
}

std::tm ParseTime(const std::string& text) {
    std::tm t{};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%n", &t.tm_year, &t.tm_mon, &t.tm_mday,
                    &t.tm_hour, &t.tm_min, &t.tm_sec, &consumed) != 6 ||
        size_t(consumed) != text.size() || t.tm_year < 1970 || t.tm_year > 65535 || t.tm_mon < 1 ||
        t.tm_mon > 12 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 || t.tm_min > 59 ||
        t.tm_sec > 59 || t.tm_hour < 0 || t.tm_min < 0 || t.tm_sec < 0)
        throw UsageError("time must read \"YYYY-MM-DD HH:MM:SS\", not \"" + text + "\"");
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return t;
}

std::string TimeText(const std::tm& t) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
    return text;
}

void AddDiscover(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "discover",
        "Finds players: asks the configuration port (UDP) for the device description. Without "
        "--to the request goes to the broadcast address and every player on the segment answers "
        "there; with --to one player answers to this tool only. Exit status 1 when none answered.");
    auto to = std::make_shared<std::string>();
    auto broadcast = std::make_shared<std::string>("255.255.255.255");
    auto wait = std::make_shared<double>(2.0);
    sub->add_option("--to", *to, "Ask this one address only");
    sub->add_option("--broadcast", *broadcast, "Where the request goes without --to")
        ->capture_default_str();
    sub->add_option("--wait", *wait, "Seconds to collect answers")
        ->check(CLI::Range(0.1, 600.0))
        ->capture_default_str();
    c.On(sub, [&c, to, broadcast, wait] {
        DiscoveryOptions options;
        options.single = !to->empty();
        options.address = options.single ? *to : *broadcast;
        options.port = c.target.udpPort;
        options.wait = Millis(int64_t(*wait * 1000));
        auto devices = Discover(options);
        json list = json::array();
        for (const auto& d : devices) {
            list.push_back(ToJson(d));
            c.out.Line(Describe(d));
        }
        c.out.Result()["devices"] = list;
        if (devices.empty())
            throw Failure("no player answered on UDP port " + std::to_string(c.target.udpPort));
    });
}

void AddInfo(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "info",
        "Shows one player's description, network settings and free storage (over UDP) and its "
        "screen size (over TCP).");
    c.On(sub, [&c] {
        UdpExchange udp = c.target.Udp();
        const auto& host = c.target.host;
        auto port = c.target.udpPort;
        Frame device = udp.Request(host, port, 4, Bytes{0}, "the device description (4)");
        auto description = ParseDeviceDescription(device.payload);
        if (!description)
            throw Failure("the device description has " + std::to_string(device.payload.size()) +
                          " bytes, too few");
        json& r = c.out.Result();
        r["device"] = ToJson(*description);
        c.out.Line(Describe(*description));

        Frame net = udp.Request(host, port, 43, {}, "the network settings (43)");
        std::string netText(net.payload.begin(), net.payload.end());
        r["netinfo"] = netText;
        c.out.Line("server link: " + netText + " (account,server host,port)");

        Frame space = udp.Request(host, port, 44, {}, "the storage space (44)");
        if (space.payload.size() < 9) throw Failure("the storage answer is too short");
        bool sd = space.payload[0] == 1;
        uint32_t total = ReadU32(&space.payload[1]), free = ReadU32(&space.payload[5]);
        r["storage"] = {{"place", sd ? "sd" : "flash"}, {"totalMB", total}, {"freeMB", free}};
        c.out.Line(std::string("storage: ") + (sd ? "SD card" : "flash") + ", " +
                   std::to_string(free) + " of " + std::to_string(total) + " MB free");

        TcpSession tcp = c.target.Tcp();
        Frame size = tcp.Request(115, {}, "the screen size (115)");
        if (size.payload.size() < 8) throw Failure("the screen size answer is too short");
        uint32_t width = ReadU32(&size.payload[0]), height = ReadU32(&size.payload[4]);
        r["screen"] = {{"width", width}, {"height", height}};
        c.out.Line("screen: " + std::to_string(width) + "x" + std::to_string(height));
    });
}

void AddClock(Commands& c) {
    auto* clock = c.app.add_subcommand("clock", "Sets the player's clock (over TCP).");
    clock->require_subcommand(1);
    auto* sync = clock->add_subcommand(
        "sync",
        "Sends this computer's local time (command 87). The player takes it only when its "
        "clock-sync switch is on (net.clock-sync), but acknowledges it either way.");
    c.On(sync, [&c] {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        c.target.Tcp().RequestAck(87, ClockPayload(local), "the clock sync (87)");
        c.out.Result()["time"] = TimeText(local);
        c.out.Line("clock synchronised to " + TimeText(local));
    });
    auto* set =
        clock->add_subcommand("set", "Sets the clock to the given local time (command 24).");
    auto when = std::make_shared<std::string>();
    set->add_option("TIME", *when, "\"YYYY-MM-DD HH:MM:SS\"")->required();
    c.On(set, [&c, when] {
        std::tm t = ParseTime(*when);
        c.target.Tcp().RequestAck(24, ClockPayload(t), "the clock setting (24)");
        c.out.Result()["time"] = TimeText(t);
        c.out.Line("clock set to " + TimeText(t));
    });
}

void AddTestPattern(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "test-pattern",
        "Stops playback and shows a full-screen test pattern 0..7 (6: one colour, give "
        "--colour), or \"stop\" to end it and resume playback.");
    auto pattern = std::make_shared<std::string>();
    auto colour = std::make_shared<std::string>("255,255,255");
    sub->add_option("PATTERN", *pattern, "0..7 or stop")->required();
    sub->add_option("--colour", *colour, "R,G,B of pattern 6")->capture_default_str();
    c.On(sub, [&c, pattern, colour] {
        if (*pattern == "stop") {
            c.target.Tcp().RequestAck(63, {}, "the test pattern stop (63)");
            c.out.Line("test pattern stopped");
            return;
        }
        Bytes payload{ParseByte(*pattern, 0, 7, "the pattern")};
        if (payload[0] == 6) {
            int r = -1, g = -1, b = -1, used = 0;
            if (std::sscanf(colour->c_str(), "%d,%d,%d%n", &r, &g, &b, &used) != 3 ||
                size_t(used) != colour->size() || r < 0 || g < 0 || b < 0 || r > 255 || g > 255 ||
                b > 255)
                throw UsageError("--colour must read R,G,B with values 0..255");
            payload.insert(payload.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
        }
        c.target.Tcp().RequestAck(62, payload, "the test pattern (62)");
        c.out.Result()["pattern"] = payload[0];
        c.out.Line("test pattern " + *pattern + " on");
    });
}

void AddReboot(Commands& c) {
    auto* sub = c.app.add_subcommand("reboot", "Restarts the player's board (command 101).");
    c.On(sub, [&c] {
        c.target.Tcp().RequestAck(101, {}, "the restart (101)");
        c.out.Line("restart requested");
    });
}

void AddRaw(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "raw",
        "Sends one frame with CODE and the payload HEX (\"01 02\" or \"0102\") and prints the "
        "answer. Over TCP a relayed \"get\" answers only with its acknowledgement; use --udp to "
        "read those. Exit status 1 when nothing answered.");
    auto code = std::make_shared<int>();
    auto hex = std::make_shared<std::string>();
    auto udp = std::make_shared<bool>(false);
    auto all = std::make_shared<bool>(false);
    sub->add_option("CODE", *code, "Command code 0..255")->required()->check(CLI::Range(0, 255));
    sub->add_option("HEX", *hex, "Payload bytes in hexadecimal");
    sub->add_flag("--udp", *udp, "Send to the configuration port instead of the control port");
    sub->add_flag("--all", *all, "Print every answer until the time-out, not only the first");
    c.On(sub, [&c, code, hex, udp, all] {
        auto payload = ParseHex(*hex);
        if (!payload) throw UsageError("HEX must be pairs of hexadecimal digits");
        if (payload->size() > kMaxCommandPayload)
            throw UsageError("at most 4096 payload bytes fit in one frame");
        json answers = json::array();
        auto report = [&](const Frame& f) {
            answers.push_back(
                {{"code", f.code}, {"length", f.payload.size()}, {"payload", Hex(f.payload)}});
            c.out.Line("answer code " + std::to_string(f.code) + ", " +
                       std::to_string(f.payload.size()) + " bytes" +
                       (f.payload.empty() ? "" : ": " + Hex(f.payload)));
        };
        if (*udp) {
            UdpExchange exchange = c.target.Udp();
            exchange.SendTo(c.target.host, c.target.udpPort,
                            *EncodeFrame(uint8_t(*code), *payload));
            while (auto d = exchange.Receive(c.target.Timeout())) {
                if (auto f = DecodeDatagram(d->bytes)) report(*f);
                if (!*all) break;
            }
        } else {
            TcpSession tcp = c.target.Tcp();
            tcp.Send(uint8_t(*code), *payload);
            while (auto f = tcp.Receive(c.target.Timeout())) {
                report(*f);
                if (!*all) break;
            }
        }
        c.out.Result()["answers"] = answers;
        if (answers.empty()) throw Failure("no answer to code " + std::to_string(*code));
    });
}

}  // namespace

void AddDeviceCommands(Commands& c) {
    AddDiscover(c);
    AddInfo(c);
    AddClock(c);
    AddTestPattern(c);
    AddReboot(c);
    AddRaw(c);
}

}  // namespace ledctl
