#include "Devices.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace cardsim {
namespace {

std::vector<std::string> Fields(std::string_view command) {
    // "*#WL C800 0202 0bf447#*" -> WL, C800, 0202, 0bf447
    std::string_view body = command.substr(2, command.size() - 4);
    std::vector<std::string> fields;
    size_t at = 0;
    while (at <= body.size()) {
        size_t blank = body.find(' ', at);
        if (blank == std::string_view::npos) blank = body.size();
        if (blank > at) fields.emplace_back(body.substr(at, blank - at));
        at = blank + 1;
    }
    return fields;
}

bool ParseHex(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        int d = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
        if (d < 0) return false;
        value = value * 16 + uint32_t(d);
    }
    return true;
}

std::string Hex2(unsigned v) {
    char s[4];
    std::snprintf(s, sizeof s, "%02x", v & 0xff);
    return s;
}

void Describe(const std::vector<std::string>& f, Json& log) {
    log["kind"] = f.empty() ? "other" : f[0] == "WL" ? "write" : f[0] == "RL" ? "read" : "other";
    if (f.size() > 1) log["address"] = f[1];
    if (f.size() > 2) log["length"] = f[2];
    if (f.size() > 3) log["data"] = f[3];
}

}  // namespace

Card::Card(const CardSettings& s) {
    if (s.model.size() >= 2) {
        memory_[0x34] = uint8_t(s.model[0]);
        memory_[0x35] = uint8_t(s.model[1]);
    }
    memory_[0x36] = uint8_t(s.letter);
    memory_[0x0F] = uint8_t(s.status);
    memory_[0x38] = uint8_t(s.bit38);
    for (uint32_t i = 0; i < 256; ++i)
        memory_[0x4200 + i] = uint8_t(i < s.points.size() && s.points[i] == '0' ? 0x02 : 0x01);
}

std::string Card::Answer(std::string_view command, Json& log) {
    auto f = Fields(command);
    Describe(f, log);
    if (f.empty()) return {};
    uint32_t address = 0;
    bool known = f.size() > 1 && ParseHex(f[1], address);
    if (f[0] == "WL") {
        uint32_t byte;
        if (known && f.size() > 3 && f[3].size() % 2 == 0)
            for (size_t i = 0; i < f[3].size(); i += 2)
                if (ParseHex(f[3].substr(i, 2), byte))
                    memory_[address + uint32_t(i / 2)] = uint8_t(byte);
        return "%#WL#%";
    }
    if (f[0] == "RL") {
        uint32_t count = 1;
        if (f.size() < 3 || !ParseHex(f[2], count) || count == 0) count = 1;
        if (count > 1024) count = 1024;
        std::string answer = "%#RL#%*#";
        for (uint32_t i = 0; i < count; ++i) {
            auto it = known ? memory_.find(address + i) : memory_.end();
            answer += Hex2(it == memory_.end() ? 0 : it->second) + "&";
        }
        return answer + "#*";
    }
    return {};
}

std::string AuxBoard::Answer(std::string_view command, Json& log) {
    auto f = Fields(command);
    Describe(f, log);
    if (f.empty()) return {};
    if (f[0] == "WL" && f.size() > 3) {
        int address = std::atoi(f[1].c_str());
        if (address >= 20 && address <= 23) {
            int relay = 23 - address;
            relays_[size_t(relay)] = std::atoi(f[3].c_str());
            log["relay"] = relay;
            log["state"] = relays_[size_t(relay)];
        }
        return "%#WL#%";
    }
    if (f[0] == "RL") {
        if (sensors_.empty()) return {};
        const std::string& block = sensors_[std::min(polls_++, sensors_.size() - 1)];
        log["sensors"] = block;
        return "%#RL#%!#" + block + "#!";
    }
    return {};
}

std::string AuxBoard::AnswerBinary(std::string_view packet, Json& log) {
    unsigned sum = 0;
    for (unsigned char c : packet) sum += c;
    log["kind"] = "binary";
    log["level"] = static_cast<unsigned char>(packet[11]);
    log["checksum"] = static_cast<unsigned char>(packet.back());
    log["sumOk"] = (sum & 0xff) == 0;
    return {};
}

std::string DefaultSensorFields() {
    // temperature A 0x012c = 30.0; B 0x01,0xe0 = 30.0; humidity 0x0258 = 60.0;
    // noise 6, 5 = 60.5; light 0x0fa0 -> 96; temperature C 0x1964 -> 25.0;
    // humidity C 0x03e8 -> 33.7; then the board's counters and values.
    return "01-2c-01-e0-02-58-06-05-0f-a0-19-64-03-e8-0-0-1-2-3-4-5-6-7-8";
}

}  // namespace cardsim
