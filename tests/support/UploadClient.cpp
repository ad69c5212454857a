#include "support/UploadClient.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <vector>

namespace led::test {
namespace {

int64_t Field(const std::string& xml, const char* name) {
    std::smatch m;
    std::regex re(std::string("<") + name + ">\\s*(-?[0-9]+)\\s*</" + name + ">");
    return std::regex_search(xml, m, re) ? std::stoll(m[1]) : -1;
}

}  // namespace

std::string ManifestXml(const std::string& name, uint64_t length, int overwrite, int type) {
    std::string typeAttr = type >= 0 ? " type=\"" + std::to_string(type) + "\"" : "";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><files><file" + typeAttr +
           "><filename>" + name + "</filename><filelen>" + std::to_string(length) +
           "</filelen><ifoverwrite>" + std::to_string(overwrite) +
           "</ifoverwrite><ifok>1</ifok></file></files></root>\n";
}

std::optional<TransferAnswer> Announce(TcpClient& tool, uint8_t code, const std::string& xml) {
    if (!tool.Send(Frame(code, Text(xml)))) return std::nullopt;
    Bytes head = tool.Receive(7);
    if (head.size() < 7 || head[2] != code) return std::nullopt;
    uint32_t length = uint32_t(head[3]) | uint32_t(head[4]) << 8 | uint32_t(head[5]) << 16 |
                      uint32_t(head[6]) << 24;
    Bytes rest = tool.Receive(length + 2);
    if (rest.size() < length) return std::nullopt;
    TransferAnswer answer;
    answer.xml.assign(rest.begin(), rest.begin() + length);
    answer.filelen = Field(answer.xml, "filelen");
    answer.ifok = int(Field(answer.xml, "ifok"));
    return answer;
}

bool SendFileData(TcpClient& tool, uint8_t code, const Bytes& content, uint64_t from,
                  uint64_t stopAfter) {
    uint64_t length = content.size() - std::min<uint64_t>(from, content.size());
    if (!tool.Send(FrameHead(code, uint32_t(length)))) return false;
    uint64_t send = std::min(length, stopAfter);
    constexpr uint64_t kChunk = 64 * 1024;
    for (uint64_t at = 0; at < send; at += kChunk) {
        auto begin = content.begin() + long(from + at);
        if (!tool.Send(Bytes(begin, begin + long(std::min(kChunk, send - at))))) return false;
    }
    return send < length || tool.Send(Bytes{'#', '*'});
}

std::optional<TransferAnswer> UploadFile(TcpClient& tool, const std::string& name,
                                         const Bytes& content, uint8_t announceCode,
                                         uint8_t dataCode) {
    auto answer = Announce(tool, announceCode, ManifestXml(name, content.size()));
    if (!answer) return std::nullopt;
    if (answer->ifok == 1 && answer->filelen >= 0 && uint64_t(answer->filelen) < content.size())
        if (!SendFileData(tool, dataCode, content, uint64_t(answer->filelen))) return std::nullopt;
    return answer;
}

bool UploadProgramDirectory(TcpClient& tool, const std::filesystem::path& directory,
                            uint8_t completeCode) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.is_regular_file()) files.push_back(entry.path());
    // The media first, the playlist last, as the tool does.
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        bool pa = a.filename() == "playlist.xml", pb = b.filename() == "playlist.xml";
        return pa != pb ? pb : a < b;
    });
    for (const auto& file : files)
        if (!UploadFile(tool, file.filename().string(), ReadHostBytes(file))) return false;
    if (!tool.Send(Frame(completeCode))) return false;
    Bytes ack = tool.Receive(10, std::chrono::seconds(30));
    return ack.size() == 10 && ack[2] == completeCode;
}

Bytes ReadHostBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace led::test
