// The mobile link over nmcli's terse output (-t: fields separated by ':',
// a literal ':' escaped as "\:").

#include <spdlog/spdlog.h>
#include <strings.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/net/MobileLink.h"

namespace led {
namespace {

constexpr int kQueryTimeoutMs = 10000;
constexpr int kDialTimeoutMs = 90000;
constexpr int kHangUpWaitMs = 3000;

// The fields of one terse line, with nmcli's "\:" escapes undone.
std::vector<std::string> TerseFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            fields.back() += line[++i];
        } else if (line[i] == ':') {
            fields.emplace_back();
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

std::vector<std::vector<std::string>> TerseLines(const std::string& output) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines.push_back(TerseFields(line));
    return lines;
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

class NetworkManagerLink final : public MobileLink {
public:
    explicit NetworkManagerLink(NmcliRunner run) : run_(std::move(run)) {}

    bool DetectModem() override {
        auto result = Run({"-t", "-f", "DEVICE,TYPE", "device"}, kQueryTimeoutMs);
        if (!result) return false;
        for (const auto& fields : TerseLines(*result))
            if (fields.size() >= 2 && fields[1] == "gsm") {
                spdlog::info("mobile link: modem {}", fields[0]);
                return true;
            }
        return false;
    }

    bool EntryExists() override {
        auto result = Run({"-t", "-f", "NAME", "connection", "show"}, kQueryTimeoutMs);
        if (!result) return false;
        for (const auto& fields : TerseLines(*result))
            if (SameName(fields[0], kMobileEntryName)) return true;
        return false;
    }

    bool CreateEntry() override {
        auto result =
            Run({"connection", "add", "type", "gsm", "ifname", "*", "con-name", kMobileEntryName,
                 "gsm.number", kMobileNumber, "ipv4.dns", kMobileNameServer, "ipv4.ignore-auto-dns",
                 "yes", "connection.autoconnect", "no"},
                kQueryTimeoutMs);
        if (!result) spdlog::warn("Unable to create the phonebook entry.");
        return result.has_value();
    }

    bool Dial() override {
        return Run({"connection", "up", "id", kMobileEntryName}, kDialTimeoutMs).has_value();
    }

    int LinkState() override {
        auto result =
            Run({"-t", "-f", "NAME,STATE", "connection", "show", "--active"}, kQueryTimeoutMs);
        if (!result) return kLinkOtherState;
        for (const auto& fields : TerseLines(*result)) {
            if (fields.size() < 2 || !SameName(fields[0], kMobileEntryName)) continue;
            if (fields[1] == "activated") return kLinkConnected;
            if (fields[1] == "activating") return kLinkConnectingDevice;
            return kLinkOtherState;
        }
        return kLinkDisconnected;  // not among the active connections
    }

    void HangUpAndWait() override {
        Run({"connection", "down", "id", kMobileEntryName}, kHangUpWaitMs);
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kHangUpWaitMs);
        while (LinkState() != kLinkDisconnected && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

private:
    // nmcli's output when it ran and succeeded.
    std::optional<std::string> Run(std::vector<std::string> args, int timeoutMs) {
        ProcessResult result;
        if (run_) {
            result = run_(args);
        } else {
            args.insert(args.begin(), "nmcli");
            result = RunProcess(args, timeoutMs);
        }
        if (!result.started) {
            if (!reportedMissing_) spdlog::info("mobile link: nmcli is not available: no modem");
            reportedMissing_ = true;
            return std::nullopt;
        }
        if (result.timedOut || result.exitCode != 0) return std::nullopt;
        return result.output;
    }

    NmcliRunner run_;
    bool reportedMissing_ = false;
};

}  // namespace

std::unique_ptr<MobileLink> MakeNetworkManagerLink(NmcliRunner run) {
    return std::make_unique<NetworkManagerLink>(std::move(run));
}

}  // namespace led
