#pragma once
// Runs tools/cardsim as a child process: the receiving card (and the aux
// board) on pseudo-terminals, with its JSON-lines log of every command it
// received. Header-only so that benchmarks can use it too.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace led::test {

class CardSim {
public:
    // `binDir` holds cardsim; `args` are its options (--log is added).
    CardSim(const std::string& binDir, std::vector<std::string> args) {
        static int counter = 0;
        logPath_ =
            (std::filesystem::temp_directory_path() /
             ("cardsim-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".jsonl"))
                .string();
        std::string program = binDir + "/cardsim";
        args.insert(args.begin(), program);
        args.push_back("--log");
        args.push_back(logPath_);
        bool aux = false;
        for (const auto& a : args) aux = aux || a == "--aux";

        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (rc != 0) {
            close(out[0]);
            throw std::runtime_error("cannot start " + program);
        }
        std::string text;
        const size_t lines = aux ? 2 : 1;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::count(text.begin(), text.end(), '\n') < long(lines) &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buffer[256];
            ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, size_t(n));
        }
        close(out[0]);
        size_t nl = text.find('\n');
        if (nl == std::string::npos) throw std::runtime_error("cardsim printed no path");
        cardPath_ = text.substr(0, nl);
        if (aux) {
            size_t nl2 = text.find('\n', nl + 1);
            if (nl2 == std::string::npos) throw std::runtime_error("cardsim printed no aux path");
            auxPath_ = text.substr(nl + 1, nl2 - nl - 1);
        }
    }
    ~CardSim() {
        Stop();
        std::error_code ec;
        std::filesystem::remove(logPath_, ec);
    }
    CardSim(const CardSim&) = delete;
    CardSim& operator=(const CardSim&) = delete;

    // Ends the process: its ptys go away as an unplugged device would.
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    const std::string& CardPath() const { return cardPath_; }
    const std::string& AuxPath() const { return auxPath_; }

    // Every line logged so far.
    std::vector<nlohmann::json> Log() const {
        std::vector<nlohmann::json> lines;
        std::ifstream in(logPath_);
        std::string line;
        while (std::getline(in, line))
            if (!line.empty()) lines.push_back(nlohmann::json::parse(line, nullptr, false));
        return lines;
    }
    // The logged lines that match, once `count` of them are there (cardsim
    // writes a command's line when its port has been quiet for 20 ms), or what
    // there is after five seconds.
    std::vector<nlohmann::json> WaitFor(
        size_t count, const std::function<bool(const nlohmann::json&)>& match) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            std::vector<nlohmann::json> found;
            for (auto& line : Log())
                if (match(line)) found.push_back(line);
            if (found.size() >= count || std::chrono::steady_clock::now() > deadline) return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    // Commands of one port ("card" or "aux").
    std::vector<nlohmann::json> Commands(const std::string& port, size_t count = 0) const {
        return WaitFor(count, [&](const nlohmann::json& l) {
            return l.value("port", "") == port && l.contains("command");
        });
    }

private:
    pid_t pid_ = -1;
    std::string cardPath_, auxPath_, logPath_;
};

}  // namespace led::test
