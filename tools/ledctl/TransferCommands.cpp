// upload, font add, message and capture: files and text to and from the player.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "Cli.h"
#include "client/Error.h"
#include "client/TextMessage.h"
#include "client/Upload.h"

namespace ledctl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A one-line bar on stderr while a terminal watches; nothing otherwise.
class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}
    ~ProgressBar() { Finish(); }
    void Show(const std::string& name, uint64_t done, uint64_t size) {
        if (!enabled_) return;
        int percent = size == 0 ? 100 : int(done * 100 / size);
        if (name == name_ && percent == percent_) return;
        name_ = name;
        percent_ = percent;
        std::string bar(size_t(percent / 4), '#');
        bar.resize(25, '.');
        std::fprintf(stderr, "\r[%s] %3d%% %-40.40s", bar.c_str(), percent, name.c_str());
        std::fflush(stderr);
        shown_ = true;
    }
    void Finish() {
        if (shown_) std::fputc('\n', stderr);
        shown_ = false;
    }

private:
    bool enabled_;
    bool shown_ = false;
    std::string name_;
    int percent_ = -1;
};

UploadOptions Options(const Commands& c, ProgressBar& bar) {
    UploadOptions options;
    options.host = c.target.host;
    options.port = c.target.tcpPort;
    options.timeout = c.target.Timeout();
    options.progress = [&bar](const std::string& name, uint64_t done, uint64_t size) {
        bar.Show(name, done, size);
    };
    return options;
}

json Report(Commands& c, const std::vector<FileResult>& results) {
    json files = json::array();
    for (const auto& r : results) {
        files.push_back({{"name", r.name},
                         {"size", r.size},
                         {"from", r.from},
                         {"sent", r.sent},
                         {"skipped", r.skipped}});
        std::string line = r.name + ": ";
        if (r.skipped)
            line += "already on the player";
        else if (r.from > 0)
            line += "resumed at " + std::to_string(r.from) + ", " + std::to_string(r.sent) +
                    " bytes sent";
        else
            line += std::to_string(r.sent) + " bytes sent";
        c.out.Line(line);
    }
    return files;
}

bool Terminal(const Commands& c) { return !c.target.json && ::isatty(STDERR_FILENO); }

void AddUpload(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "upload",
        "Uploads a program directory (playlist.xml and its media, plain files only) and "
        "installs it: each file is announced, only what the player lacks is sent, and a "
        "connection that drops is taken up again where it broke. The player then stops "
        "playback, installs the programs and plays them.");
    auto dir = std::make_shared<std::string>();
    auto quiet = std::make_shared<bool>(false);
    auto reconnects = std::make_shared<int>(3);
    sub->add_option("DIR", *dir, "The program directory")->required();
    sub->add_flag("--no-blank", *quiet,
                  "Install without blanking the screen first (command 25 instead of 13)");
    sub->add_option("--reconnects", *reconnects, "New connections after dropped ones")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    c.On(sub, [&c, dir, quiet, reconnects] {
        std::vector<fs::path> files;
        try {
            files = ProgramFiles(*dir);
        } catch (const std::invalid_argument& e) {
            throw UsageError(e.what());
        }
        ProgressBar bar(Terminal(c));
        UploadOptions options = Options(c, bar);
        options.reconnects = *reconnects;
        Uploader uploader(options);
        auto results = uploader.Send(files, kProgramFiles, *quiet ? 25 : 13);
        bar.Finish();
        c.out.Result()["files"] = Report(c, results);
        c.out.Result()["reconnects"] = uploader.Reconnects();
        c.out.Line("installed " + std::to_string(results.size()) + " files");
    });
}

void AddFont(Commands& c) {
    auto* font = c.app.add_subcommand("font", "Installs fonts on the player.");
    font->require_subcommand(1);
    auto* add = font->add_subcommand(
        "add",
        "Uploads font files and adds them to the player's font list under their face names "
        "(--name, default the file name without extension); the player reloads its playlist.");
    auto paths = std::make_shared<std::vector<std::string>>();
    auto names = std::make_shared<std::vector<std::string>>();
    add->add_option("FILE", *paths, "Font files")->required();
    add->add_option("--name", *names, "Face name of each file, in order");
    c.On(add, [&c, paths, names] {
        if (!names->empty() && names->size() != paths->size())
            throw UsageError("give one --name per font file");
        std::vector<fs::path> files;
        std::vector<FontEntry> entries;
        for (size_t i = 0; i < paths->size(); ++i) {
            fs::path p = (*paths)[i];
            if (!fs::is_regular_file(p)) throw UsageError(p.string() + " is not a file");
            if (p.filename().string().size() > 259)
                throw UsageError(p.string() + ": name too long");
            entries.push_back(
                {p.filename().string(), names->empty() ? p.stem().string() : (*names)[i]});
            files.push_back(p);
        }
        std::string list = FontList(entries);
        if (list.size() > kMaxCommandPayload) throw UsageError("too many fonts for one font list");
        ProgressBar bar(Terminal(c));
        Uploader uploader(Options(c, bar));
        auto results = uploader.Send(files, TypedFiles(2), 61, Bytes(list.begin(), list.end()));
        bar.Finish();
        c.out.Result()["files"] = Report(c, results);
        c.out.Line("fonts installed");
    });
}

void AddMessage(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "message",
        "Shows TEXT over the program in a rectangle (text-message port, code 111). TEXT may "
        "carry the player's tags: \\F24 font size, \\H40 height in pixels, \\CFF0000 colour "
        "(the player's 0xBBGGRR value), \\n new line. At most 256 UTF-16 characters.");
    auto rect = std::make_shared<TextRect>();
    auto text = std::make_shared<std::string>();
    sub->add_option("--left", rect->left, "Left edge")->required();
    sub->add_option("--top", rect->top, "Top edge")->required();
    sub->add_option("--width", rect->width, "Width")->required()->check(CLI::Range(1, 32767));
    sub->add_option("--height", rect->height, "Height")->required()->check(CLI::Range(1, 32767));
    sub->add_option("TEXT", *text, "The message")->required();
    c.On(sub, [&c, rect, text] {
        Bytes payload;
        try {
            payload = TextMessagePayload(*rect, *text);
        } catch (const std::invalid_argument& e) {
            throw UsageError(e.what());
        }
        TcpSession session(c.target.host, c.target.textPort, c.target.Timeout());
        Frame answer = session.Request(111, payload, "the text message (111)");
        if (answer.payload != Bytes{0})
            throw Failure("the text message was answered with " + Hex(answer.payload));
        c.out.Line("message shown");
    });
}

void AddCapture(Commands& c) {
    auto* sub = c.app.add_subcommand(
        "capture",
        "Fetches a fresh capture of the whole screen (command 151) and writes it as a BMP file.");
    auto output = std::make_shared<std::string>("capture.bmp");
    sub->add_option("-o,--output", *output, "Where to write it")->capture_default_str();
    c.On(sub, [&c, output] {
        TcpSession session = c.target.Tcp();
        // Flag 0 (the whole file), selector 4 (the screen capture), offset 0.
        session.Send(151, Bytes{0, 4, 0, 0, 0, 0});
        Bytes head;
        try {
            head = session.ReceiveBytes(8, c.target.Timeout());
        } catch (const ClientError&) {
            // Closed instead of answered: the same as no answer.
        }
        if (head.empty())
            throw Failure("the player sent no capture (this player may not capture its screen)");
        if (head.size() < 8 || head[0] != '*' || head[1] != '#' || head[2] != 151)
            throw Failure("the capture answer does not start with its head: " + Hex(head));
        uint32_t size = ReadU32(&head[3]);
        // Written beside the target and renamed: a broken transfer leaves no half file.
        fs::path target = *output, partial = target;
        partial += ".part";
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) throw Failure("cannot write " + partial.string());
        uint64_t received = 0;
        while (received < size) {
            Bytes piece;
            try {
                piece = session.ReceiveBytes(std::min<uint64_t>(size - received, 1 << 20),
                                             c.target.Timeout());
            } catch (const ClientError&) {
            }
            if (piece.empty()) {
                out.close();
                fs::remove(partial);
                throw Failure("the capture stopped after " + std::to_string(received) + " of " +
                              std::to_string(size) + " bytes");
            }
            out.write(reinterpret_cast<const char*>(piece.data()), std::streamsize(piece.size()));
            received += piece.size();
        }
        out.close();
        if (!out) throw Failure("cannot write " + partial.string());
        fs::rename(partial, target);
        c.out.Result()["file"] = target.string();
        c.out.Result()["size"] = size;
        c.out.Line("capture: " + std::to_string(size) + " bytes to " + target.string());
    });
}

}  // namespace

void AddTransferCommands(Commands& c) {
    AddUpload(c);
    AddFont(c);
    AddMessage(c);
    AddCapture(c);
}

}  // namespace ledctl
