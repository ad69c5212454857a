#include "app/TokenTools.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "clock/ClockTokens.h"
#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/text/LocaleNames.h"
#include "storage/RichText.h"

namespace led {
namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream ss(text);
    for (std::string part; std::getline(ss, part, ',');) parts.push_back(part);
    if (!text.empty() && text.back() == ',') parts.emplace_back();
    return parts;
}

bool ParseIntegers(const std::string& text, size_t count, std::vector<int>& values) {
    values.clear();
    for (const std::string& part : SplitCommas(text)) {
        try {
            size_t used = 0;
            values.push_back(std::stoi(part, &used));
            if (used != part.size()) return false;
        } catch (const std::exception&) {
            return false;
        }
    }
    return values.size() == count;
}

bool ParseNumber(const std::string& text, double& value) {
    try {
        size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size() && std::isfinite(value);
    } catch (const std::exception&) {
        return false;
    }
}

// The sensor options into the context; false (with the message written)
// when one is not a number.
bool ReadSensorOptions(const ExpandTokensOptions& o, SensorValue& sensor, std::ostream& err) {
    double value = 0, error = 0, precision = 0, valid = 1;
    const struct {
        const std::string& text;
        double& target;
        const char* name;
    } fields[] = {{o.value, value, "--value"},
                  {o.error, error, "--error"},
                  {o.precision, precision, "--precision"},
                  {o.valid, valid, "--valid"}};
    for (const auto& f : fields) {
        if (!f.text.empty() && !ParseNumber(f.text, f.target)) {
            err << "expand-tokens: " << f.name << " wants a number, not \"" << f.text << "\"\n";
            return false;
        }
    }
    if (valid != 0 && valid != 1) {
        err << "expand-tokens: --valid wants 0 or 1\n";
        return false;
    }
    sensor.reading = float(value);
    sensor.error = float(error);
    sensor.precision = int(precision);
    sensor.valid = valid == 1;
    return true;
}

}  // namespace

int ExpandTokensTool(const ExpandTokensOptions& o, const Settings& settings, std::istream& in,
                     std::ostream& out, std::ostream& err) {
    const bool sensorArea = SensorTokens(o.area) != nullptr;
    if (o.area != 13 && o.area != 17 && !sensorArea) {
        err << "expand-tokens: area type " << o.area
            << " has no tokens (13 clock, 14 temperature, 15 humidity, 16 noise, 17 countdown)\n";
        return 2;
    }
    const bool sensorOptions =
        !o.value.empty() || !o.valid.empty() || !o.error.empty() || !o.precision.empty();
    if (sensorOptions && !sensorArea) {
        err << "expand-tokens: --value, --valid, --error and --precision are for sensor areas "
               "(14-16)\n";
        return 2;
    }
    TokenContext context;
    if (sensorArea && !ReadSensorOptions(o, context.sensor, err)) return 2;
    std::vector<int> v;
    if (!o.differ.empty()) {
        if (!ParseIntegers(o.differ, 5, v)) {
            err << "expand-tokens: --differ wants TYPE,D,H,M,S\n";
            return 2;
        }
        context.difference = {v[0], v[1], v[2], v[3], v[4]};
    }
    if (!o.arrival.empty()) {
        if (!ParseIntegers(o.arrival, 6, v)) {
            err << "expand-tokens: --arrival wants Y,MO,D,H,MI,S\n";
            return 2;
        }
        context.arrival = {v[0], v[1], v[2], v[3], v[4], v[5]};
    }
    if (!o.weeknames.empty()) {
        std::vector<std::string> names = SplitCommas(o.weeknames);
        if (names.size() != 7) {
            err << "expand-tokens: --weeknames wants seven names, Sunday first\n";
            return 2;
        }
        for (size_t d = 0; d < 7; ++d) context.weekdayNames[d] = names[d];
    }
    std::optional<LocaleNames> names = LocaleNames::Load(settings.locale);
    if (!names) {
        err << "expand-tokens: locale \"" << settings.locale << "\" is not installed; using C\n";
        names = LocaleNames::C();
    }
    context.names = &*names;

    auto expand = [&](const LocalTime& now) {
        context.now = now;
        std::string text = o.format;
        ExpandTokens(text, o.area, 0, context);
        out << text << '\n';
    };
    if (o.at == "-") {
        int status = 0;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (auto t = LocalTime::Parse(line)) {
                expand(*t);
            } else {
                err << "expand-tokens: not a time \"" << line << "\"\n";
                out << '\n';
                status = 1;
            }
        }
        return status;
    }
    if (!o.at.empty()) {
        auto t = LocalTime::Parse(o.at);
        if (!t) {
            err << "expand-tokens: --at wants \"YYYY-MM-DD HH:MM:SS\" or -\n";
            return 2;
        }
        expand(*t);
        return 0;
    }
    std::optional<LocalTime> start =
        settings.clockStart.empty() ? std::nullopt : LocalTime::Parse(settings.clockStart);
    if (start) {
        expand(*start);
    } else {
        Clock clock;
        expand(clock.Now());
    }
    return 0;
}

int ReadRtfTool(const std::string& file, std::ostream& out, std::ostream& err) {
    std::ifstream stream(file, std::ios::binary);
    RichText text;
    text.colours.assign(1, 0);
    if (!stream) {
        err << "read-rtf: cannot open " << file << '\n';
        out << RichTextJson(false, text) << '\n';
        return 1;
    }
    std::string data;
    data.resize(kMaxRichTextBytes);
    stream.read(data.data(), std::streamsize(data.size()));
    data.resize(size_t(stream.gcount()));
    std::string problem;
    const bool ok = ParseRichText(data, text, &problem);
    if (!ok) err << "read-rtf: " << file << ": " << problem << '\n';
    out << RichTextJson(ok, text) << '\n';
    return ok ? 0 : 1;
}

}  // namespace led
