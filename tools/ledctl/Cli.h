#pragma once
// What every subcommand shares: where the player is, how long to wait, and
// how to report (text for people, one JSON object for scripts).

#include <CLI/CLI.hpp>
#include <functional>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/Socket.h"
#include "client/TcpSession.h"
#include "client/UdpExchange.h"

namespace ledctl {

// Arguments that cannot be used (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The player answered, but not as expected (exit status 1).
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Target {
    std::string host = "127.0.0.1";
    uint16_t tcpPort = 5002;
    uint16_t udpPort = 5001;
    uint16_t textPort = 5005;
    double timeoutSeconds = 6;
    bool json = false;

    Millis Timeout() const { return Millis(int64_t(timeoutSeconds * 1000)); }
    TcpSession Tcp() const { return TcpSession(host, tcpPort, Timeout()); }
    UdpExchange Udp() const { return UdpExchange(Timeout()); }
};

class Output {
public:
    explicit Output(const Target& target) : target_(target) {}
    // A line for people; not printed with --json.
    void Line(const std::string& text) const;
    nlohmann::json& Result() { return result_; }

private:
    const Target& target_;
    nlohmann::json result_ = nlohmann::json::object();
};

// The subcommands: each adds itself to the app and registers the work to
// run once the command line is parsed.
struct Commands {
    CLI::App& app;
    Target& target;
    Output& out;
    std::vector<std::pair<CLI::App*, std::function<void()>>> actions;

    void On(CLI::App* sub, std::function<void()> run) { actions.emplace_back(sub, std::move(run)); }
};

void AddDeviceCommands(Commands& c);
void AddSettingCommands(Commands& c);
void AddTransferCommands(Commands& c);

// Small helpers the command files share.
uint8_t ParseByte(const std::string& text, int low, int high, const std::string& what);

}  // namespace ledctl
