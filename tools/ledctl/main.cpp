// ledctl: manages a player over its control ports without the PC tool.
//
//   ledctl discover
//   ledctl --host 192.168.1.40 info
//   ledctl brightness set 120
//   ledctl upload demo/program
//
// Exit status: 0 when the player answered as expected, 1 when it did not (or
// could not be reached), 2 when the command line cannot be used.

#include <iostream>

#include "Cli.h"
#include "client/Error.h"

namespace ledctl {

void Output::Line(const std::string& text) const {
    if (!target_.json) std::cout << text << '\n';
}

uint8_t ParseByte(const std::string& text, int low, int high, const std::string& what) {
    size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || value < low || value > high)
        throw UsageError(what + " must be a number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not \"" + text + "\"");
    return uint8_t(value);
}

namespace {

int Run(int argc, char** argv) {
    CLI::App app{
        "ledctl: manages an LED screen player over its control ports (TCP 5002, UDP 5001, "
        "TCP 5005). Writes go over TCP, reads over UDP where the player answers them only "
        "there. Exit status: 0 when the player answered as expected, 1 when it did not, 2 "
        "for a command line that cannot be used.",
        "ledctl"};
    app.require_subcommand(1);
    app.fallthrough();
    Target target;
    Output out(target);
    app.add_option("--host", target.host, "Player address or name")->capture_default_str();
    app.add_option("--tcp-port", target.tcpPort, "Control port (TCP)")->capture_default_str();
    app.add_option("--udp-port", target.udpPort, "Configuration and discovery port (UDP)")
        ->capture_default_str();
    app.add_option("--text-port", target.textPort, "Text-message port (TCP)")
        ->capture_default_str();
    app.add_option("--timeout", target.timeoutSeconds, "Seconds to wait for each answer")
        ->check(CLI::Range(0.1, 3600.0))
        ->capture_default_str();
    app.add_flag("--json", target.json, "Print one JSON object for scripts instead of text");
    // Scripts add their own flags to a base command line: the last one counts.
    for (auto* option : app.get_options())
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    Commands commands{app, target, out, {}};
    AddDeviceCommands(commands);
    AddSettingCommands(commands);
    AddTransferCommands(commands);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e) == 0 ? 0 : 2;
        if (status != 0 && target.json)
            std::cout << nlohmann::json{{"ok", false}, {"error", e.what()}}.dump() << std::endl;
        return status;
    }

    // The deepest subcommand given is the one to run.
    std::function<void()>* run = nullptr;
    for (auto& [sub, action] : commands.actions)
        if (sub->parsed()) run = &action;
    if (!run) {
        std::cerr << "ledctl: choose a subcommand (ledctl --help)\n";
        return 2;
    }
    std::string command;
    for (auto& [sub, action] : commands.actions)
        if (&action == run) {
            for (const CLI::App* a = sub; a && a != &app; a = a->get_parent())
                command = a->get_name() + (command.empty() ? "" : " " + command);
        }
    out.Result()["command"] = command;

    int status = 0;
    try {
        (*run)();
        out.Result()["ok"] = true;
    } catch (const UsageError& e) {
        std::cerr << "ledctl " << command << ": " << e.what() << '\n';
        out.Result()["ok"] = false;
        out.Result()["error"] = e.what();
        status = 2;
    } catch (const std::exception& e) {
        // ClientError, Failure and the rest: the player did not do what was asked.
        std::cerr << "ledctl " << command << ": " << e.what() << '\n';
        out.Result()["ok"] = false;
        out.Result()["error"] = e.what();
        status = 1;
    }
    if (target.json) std::cout << out.Result().dump() << std::endl;
    return status;
}

}  // namespace
}  // namespace ledctl

int main(int argc, char** argv) { return ledctl::Run(argc, argv); }
