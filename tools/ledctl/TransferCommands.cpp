// message and capture: text to the player and its screen back.

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "Cli.h"
#include "client/Error.h"
#include "client/TextMessage.h"

namespace ledctl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

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

uint32_t U32(const Bytes& p, size_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
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
        uint32_t size = U32(head, 3);
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
    AddMessage(c);
    AddCapture(c);
}

}  // namespace ledctl
