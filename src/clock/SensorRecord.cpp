#include "clock/SensorRecord.h"

#include <cstdlib>

namespace led {
namespace {

const std::string kEmpty;

const std::string& Field(const std::vector<std::string>& fields, size_t number) {
    return number >= 1 && number <= fields.size() ? fields[number - 1] : kEmpty;
}

// Text that is no number, or is empty, converts to 0.
long Number(const std::string& text, int base) { return std::strtol(text.c_str(), nullptr, base); }

int Hex(const std::vector<std::string>& fields, size_t number) {
    return int(Number(Field(fields, number), 16) & 0xFF);
}

// raw / 10 as the board writes it: the whole part plus the tenths.
float Tenths(int raw) { return float(raw / 10) + float(raw % 10) * 0.1f; }

// The board marks a value invalid with bit 7 of its high byte.
bool Valid(int high) { return (high & 0x80) == 0; }

void Erase(std::string& text, const std::string& token) {
    for (size_t at; (at = text.find(token)) != std::string::npos;) text.erase(at, token.size());
}

}  // namespace

std::optional<std::vector<std::string>> SensorFields(const std::string& answer) {
    const size_t head = answer.find("!#");
    if (head == std::string::npos) return std::nullopt;
    if (answer.find("#!", head + 2) == std::string::npos) return std::nullopt;
    std::string text = answer;
    for (const char* token : {"%#RL#%!#", "%#WL#%", "#!"}) Erase(text, token);
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t dash; (dash = text.find('-', from)) != std::string::npos; from = dash + 1)
        fields.push_back(text.substr(from, dash - from));
    fields.push_back(text.substr(from));
    return fields;
}

float DecodeTemperatureA(int high, int low) {
    if (high > 0x6F) return -Tenths((0x7F - high) * 256 + (0xFF - low));
    return Tenths(high * 256 + low);
}

float DecodeTemperatureB(int high, int low) {
    const int whole = high * 16 + (low >> 4);
    const int fraction = low & 0x0F;
    return float(whole) + float(fraction) * (fraction <= 10 ? 0.1f : 0.01f);
}

float DecodeHumidityA(int high, int low) { return Tenths(high * 256 + low); }

float DecodeNoise(int high, int low) {
    return float(low / 10 + high * 10) + float(low % 10) * 0.1f;
}

int32_t DecodeLight(int high, int low) { return 4096 - (high * 256 + low); }

float DecodeTemperatureC(int raw) { return float(raw * 0.01 - 40); }

float DecodeHumidityC(int raw) {
    const double r = raw;
    return float(-4 + 0.0405 * r - 0.0000028 * r * r);
}

SensorReadings DecodeSensorFields(const std::vector<std::string>& f,
                                  const SensorReadings& previous) {
    SensorReadings r;
    auto pair = [&](size_t high) { return std::pair{Hex(f, high), Hex(f, high + 1)}; };
    {
        auto [h, l] = pair(1);
        r.temperatureA = {DecodeTemperatureA(h, l), Valid(h)};
    }
    {
        auto [h, l] = pair(3);
        r.temperatureB = {DecodeTemperatureB(h, l), Valid(h)};
    }
    {
        auto [h, l] = pair(5);
        r.humidityA = {DecodeHumidityA(h, l), Valid(h)};
    }
    {
        auto [h, l] = pair(7);
        r.noise = {DecodeNoise(h, l), Valid(h)};
    }
    {
        auto [h, l] = pair(9);
        r.light = {DecodeLight(h, l), Valid(h)};
    }
    {
        auto [h, l] = pair(11);
        r.temperatureC = {DecodeTemperatureC(h * 256 + l), Valid(h)};
    }
    {
        auto [h, l] = pair(13);
        r.humidityC = {DecodeHumidityC(h * 256 + l), Valid(h)};
    }
    for (size_t i = 0; i < r.counters.size(); ++i)
        r.counters[i] = int32_t(Number(Field(f, 17 + i), 10));
    r.bytes = {uint8_t(Number(Field(f, 49), 10)), uint8_t(Number(Field(f, 50), 10))};
    r.extra = {Field(f, 33), Field(f, 35), Field(f, 36)};

    r.lightRing = previous.lightRing;
    r.lightCount = previous.lightCount;
    if (f.size() >= 10) {
        if (r.lightCount == int(r.lightRing.size())) {
            r.lightRing[0] = r.lightRing[1];
            r.lightRing[1] = r.lightRing[2];
            r.lightRing[2] = r.light.value;
        } else {
            r.lightRing[size_t(r.lightCount++)] = r.light.value;
        }
    }
    r.polls = previous.polls + 1;
    return r;
}

}  // namespace led
