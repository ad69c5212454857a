// cardsim: plays the LED receiving card (and, with --aux, the sensor and relay
// board) on pseudo-terminals. Prints the path the player should use for COM3
// (and then COM4) on stdout, one per line, and runs until SIGTERM or SIGINT.
//
//   cardsim --model J7 --letter L --log card.jsonl
//   ledplayer --com3 /dev/pts/7 ...

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <optional>
#include <random>

#include "Devices.h"
#include "Pty.h"
#include "Wire.h"

namespace cardsim {
namespace {

using Steady = std::chrono::steady_clock;

volatile sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

enum class Fault { None, Late, Silent, Garbage, Noisy, Split, Short };

struct Options {
    CardSettings card;
    int baud = 0;  // 0: answers at any speed
    Fault fault = Fault::None;
    int lateMs = 150;
    size_t shortBytes = 9;
    bool aux = false;
    std::vector<std::string> sensors{DefaultSensorFields()};
    std::string logPath;
};

std::string Printable(std::string_view bytes) {
    std::string s;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            s += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            s += hex;
        }
    }
    return s;
}

class Log {
public:
    explicit Log(const std::string& path) {
        if (!path.empty()) file_ = std::fopen(path.c_str(), "w");
        if (!path.empty() && !file_) throw std::runtime_error("cannot write " + path);
    }
    ~Log() {
        if (file_) std::fclose(file_);
    }
    void Write(const Json& line) {
        if (!file_) return;
        std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        std::fputs(text.c_str(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);  // tests read the log while cardsim runs
    }

private:
    std::FILE* file_ = nullptr;
};

struct Reply {
    Steady::time_point due;
    std::string bytes;
};

// One device on one pseudo-terminal.
class Port {
public:
    Port(std::string role, const Options& options, Log& log, Steady::time_point start)
        : role_(std::move(role)),
          options_(options),
          log_(log),
          start_(start),
          splitter_(role_ == "card" ? "*#" : "!#", role_ == "card" ? "#*" : "#!", role_ == "aux"),
          card_(options.card),
          aux_(options.sensors) {}

    const Pty& Terminal() const { return pty_; }

    void OnReadable() {
        char buffer[4096];
        for (;;) {
            ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
            if (n <= 0) break;
            lastByte_ = Steady::now();
            for (auto& piece : splitter_.Feed({buffer, size_t(n)})) Handle(piece);
        }
    }

    // Sends the replies that are due and writes the last command's log line
    // once the line has been quiet for a while (its padding is counted by then).
    void OnTime(Steady::time_point now) {
        while (!replies_.empty() && replies_.front().due <= now) {
            const std::string& bytes = replies_.front().bytes;
            if (::write(pty_.Master(), bytes.data(), bytes.size()) < 0) {
                // the player's input queue is full or gone: the answer is lost
            }
            replies_.pop_front();
        }
        if (pending_ && now - lastByte_ >= kQuiet) FlushLog();
    }

    std::optional<Steady::time_point> NextDeadline() const {
        std::optional<Steady::time_point> next;
        if (!replies_.empty()) next = replies_.front().due;
        if (pending_ && (!next || lastByte_ + kQuiet < *next)) next = lastByte_ + kQuiet;
        return next;
    }

    void Finish() {
        std::string rest = splitter_.TakeRest();
        if (!rest.empty()) Handle({Piece::Kind::Noise, rest});
        FlushLog();
    }

private:
    static constexpr auto kQuiet = std::chrono::milliseconds(20);

    Json Record() const {
        Json line;
        line["t"] =
            std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start_).count();
        line["port"] = role_;
        return line;
    }

    void FlushLog() {
        if (pending_) log_.Write(*pending_);
        pending_.reset();
    }

    void Handle(const Piece& piece) {
        if (piece.kind == Piece::Kind::Padding && pending_) {
            (*pending_)["bytes"] = (*pending_)["bytes"].get<size_t>() + piece.bytes.size();
            return;
        }
        FlushLog();
        Json line = Record();
        if (piece.kind == Piece::Kind::Padding || piece.kind == Piece::Kind::Noise) {
            line["noise"] = Printable(piece.bytes);
            line["bytes"] = piece.bytes.size();
            log_.Write(line);
            return;
        }
        const bool binary = piece.kind == Piece::Kind::Binary;
        line["command"] = binary ? "binary packet" : Printable(piece.bytes);
        line["bytes"] = piece.bytes.size();
        int baud = pty_.SlaveBaud();
        line["baud"] = baud;
        bool heard = options_.baud == 0 || baud == options_.baud;
        line["heard"] = heard;
        std::string answer;
        if (heard) {
            if (role_ == "card")
                answer = card_.Answer(piece.bytes, line);
            else
                answer =
                    binary ? aux_.AnswerBinary(piece.bytes, line) : aux_.Answer(piece.bytes, line);
        }
        if (!answer.empty()) Schedule(answer, line);
        pending_ = std::move(line);
    }

    void Schedule(const std::string& answer, Json& line) {
        auto now = Steady::now();
        switch (options_.fault) {
            case Fault::None: replies_.push_back({now, answer}); break;
            case Fault::Silent: line["fault"] = "silent"; return;
            case Fault::Late:
                replies_.push_back({now + std::chrono::milliseconds(options_.lateMs), answer});
                line["fault"] = "late";
                break;
            case Fault::Garbage: {
                static constexpr char kJunk[] = "QWERTYUIOPZXVNM?!@$^(){}[]<>~";
                std::string junk(std::max<size_t>(answer.size(), 6), ' ');
                for (char& c : junk) c = kJunk[random_() % (sizeof kJunk - 1)];
                replies_.push_back({now, junk});
                line["fault"] = "garbage";
                line["reply"] = Printable(junk);
                return;
            }
            case Fault::Noisy:
                replies_.push_back({now, "\x13~noise~" + answer});
                line["fault"] = "noisy";
                break;
            case Fault::Short:
                replies_.push_back({now, answer.substr(0, options_.shortBytes)});
                line["fault"] = "short";
                line["reply"] = Printable(answer.substr(0, options_.shortBytes));
                return;
            case Fault::Split: {
                size_t half = answer.size() / 2;
                replies_.push_back({now, answer.substr(0, half)});
                replies_.push_back({now + std::chrono::milliseconds(1), answer.substr(half)});
                line["fault"] = "split";
                break;
            }
        }
        line["reply"] = Printable(answer);
    }

    std::string role_;
    const Options& options_;
    Log& log_;
    Steady::time_point start_;
    Pty pty_;
    Splitter splitter_;
    Card card_;
    AuxBoard aux_;
    std::deque<Reply> replies_;
    std::optional<Json> pending_;
    Steady::time_point lastByte_ = Steady::now();
    std::minstd_rand random_{12345};
};

int Run(const Options& options) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Log log(options.logPath);
    auto start = Steady::now();
    std::vector<std::unique_ptr<Port>> ports;
    ports.push_back(std::make_unique<Port>("card", options, log, start));
    if (options.aux) ports.push_back(std::make_unique<Port>("aux", options, log, start));
    for (const auto& port : ports) std::printf("%s\n", port->Terminal().SlavePath().c_str());
    std::fflush(stdout);

    while (!stopRequested) {
        auto now = Steady::now();
        int timeout = 200;
        for (const auto& port : ports) {
            if (auto next = port->NextDeadline()) {
                auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(*next - now).count();
                timeout = std::clamp<int>(int(ms), 0, timeout);
            }
        }
        std::vector<pollfd> fds;
        for (const auto& port : ports) fds.push_back({port->Terminal().Master(), POLLIN, 0});
        int r = ::poll(fds.data(), fds.size(), timeout);
        if (r < 0 && errno != EINTR) break;
        for (size_t i = 0; i < ports.size(); ++i)
            if (r > 0 && (fds[i].revents & POLLIN)) ports[i]->OnReadable();
        now = Steady::now();
        for (auto& port : ports) port->OnTime(now);
        // A hung-up master (cannot happen while we hold the slave) must not spin.
        if (r > 0)
            for (const auto& f : fds)
                if ((f.revents & (POLLHUP | POLLERR)) && !(f.revents & POLLIN)) ::usleep(1000);
    }
    for (auto& port : ports) port->Finish();
    return 0;
}

}  // namespace
}  // namespace cardsim

int main(int argc, char** argv) {
    using namespace cardsim;
    CLI::App app{"cardsim: the LED receiving card (and sensor/relay board) on a pseudo-terminal"};
    Options options;
    std::string letter = "L", fault = "none", status = "01";
    app.add_option("--model", options.card.model,
                   "Generation word of the board model code (two characters)")
        ->check([](const std::string& s) { return s.size() == 2 ? "" : "two characters"; });
    app.add_option("--letter", letter, "Type letter of the model code: C, A, L, S, or 'space'");
    app.add_option("--status", status, "The status byte at 000F, two hex digits");
    app.add_option("--bit38", options.card.bit38, "The one-bit setting at 0038 (0 or 1)");
    app.add_option("--points", options.card.points,
                   "256 characters 0/1: the status bits of the 4200 block (default all 1)");
    app.add_option("--baud", options.baud,
                   "Answer only when the player's end is at this speed (0: any)");
    app.add_option("--fault", fault,
                   "none, late, silent, garbage, noisy (noise before each answer), split (in two "
                   "parts 1 ms apart) or short (cut after --short-bytes)");
    app.add_option("--late-ms", options.lateMs, "Delay of every answer with --fault late");
    app.add_option("--short-bytes", options.shortBytes,
                   "Bytes of every answer sent with --fault short");
    app.add_flag("--aux", options.aux,
                 "Also play the sensor and relay board on a second pty (second line)");
    app.add_option("--sensors", options.sensors,
                   "Fields of the sensor block answer, '-' separated; several blocks answer "
                   "successive polls, the last one repeated");
    app.add_option("--log", options.logPath, "Write every command received as a JSON line to FILE");
    CLI11_PARSE(app, argc, argv);

    if (letter == "space" || letter == " ")
        options.card.letter = ' ';
    else if (letter.size() == 1)
        options.card.letter = letter[0];
    else {
        std::cerr << "cardsim: --letter wants one character or 'space'\n";
        return 2;
    }
    options.card.status = int(std::strtol(status.c_str(), nullptr, 16)) & 0xff;
    const std::pair<const char*, Fault> faults[] = {
        {"none", Fault::None},       {"late", Fault::Late},   {"silent", Fault::Silent},
        {"garbage", Fault::Garbage}, {"noisy", Fault::Noisy}, {"split", Fault::Split},
        {"short", Fault::Short}};
    bool known = false;
    for (const auto& [name, value] : faults)
        if (fault == name) options.fault = value, known = true;
    if (!known) {
        std::cerr << "cardsim: unknown --fault " << fault << "\n";
        return 2;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "cardsim: " << e.what() << "\n";
        return 1;
    }
}
