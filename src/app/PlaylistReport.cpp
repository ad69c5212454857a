#include "app/PlaylistReport.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <random>

#include "platform/fs/DeviceFs.h"
#include "storage/RunMode.h"

namespace led {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// A device root of our own under the temporary directory, removed at the end:
// the reader renumbers and rewrites the file it reads and writes
// "\nand\TVAreaSize.dat", none of which may touch the user's files.
class PrivateRoot {
public:
    PrivateRoot() {
        std::random_device random;
        std::error_code ec;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            fs::path candidate =
                fs::temp_directory_path(ec) / ("ledplayer-inspect-" + std::to_string(random()));
            if (fs::create_directory(candidate, ec)) path_ = candidate;
        }
    }
    ~PrivateRoot() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    PrivateRoot(const PrivateRoot&) = delete;
    PrivateRoot& operator=(const PrivateRoot&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// A float as the shortest decimal that reads back as the same float.
double Decimal(float value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double result = 0;
    std::from_chars(text, end, result);
    return result;
}

Json Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return Json::array({l, t, r, b}); }

Json ClockStringJson(const ClockStrings& s) {
    return {{"text", s.text},    {"face", s.face},     {"size", s.size},
            {"color", s.colour}, {"weight", s.weight}, {"italic", s.italic}};
}

Json ItemJson(const AreaItem& item) {
    const ItemFont& f = item.font;
    const TimeDifference& d = item.timeDifference;
    return {
        {"id", item.id},
        {"path", item.path},
        {"effectIn", item.effectIn},
        {"movespeedIn", item.movespeedIn},
        {"movespeedOut", item.movespeedOut},
        {"remain", item.remain},
        {"effectOut", item.effectOut},
        {"text", item.text},
        {"textshowtype", item.textshowtype},
        {"linespacing", item.linespacing},
        {"anispeed", item.anispeed},
        {"streamtype", item.streamtype},
        {"videoRect", Rect(item.videoLeft, item.videoTop, item.videoRight, item.videoBottom)},
        {"videoOrgSize", Json::array({item.videoOriginalWidth, item.videoOriginalHeight})},
        {"videomode", item.videomode},
        {"pages", item.pageFiles},
        {"arrival", Json::array({item.arrivalYear, item.arrivalMonth, item.arrivalDay,
                                 item.arrivalHour, item.arrivalMinute, item.arrivalSecond})},
        {"sensor",
         {{"mode", item.sensorMode},
          {"precision", item.precision},
          {"error", Decimal(item.error)},
          {"hardwaremode", item.hardwaremode},
          {"valveEnabled", item.valveEnabled},
          {"valve", Decimal(item.valve)},
          {"valveColor", item.valveColour}}},
        {"clock",
         {{"differ", Json::array({d.type, d.days, d.hours, d.minutes, d.seconds})},
          {"weekNames", item.weekdayNames},
          {"showmode", item.showmode},
          {"yearstyle", item.yearstyle},
          {"hourstyle", item.hourstyle},
          {"showItems", item.showItems},
          {"topString", ClockStringJson(item.topString)},
          {"bottomString", ClockStringJson(item.bottomString)}}},
        {"font",
         {{"height", f.height},
          {"width", f.width},
          {"weight", f.weight},
          {"face", f.face},
          {"underline", f.underline},
          {"italic", f.italic},
          {"strikeout", f.strikeout},
          {"pitchAndFamily", f.pitchAndFamily},
          {"charset", f.charset},
          {"color", f.colour}}},
        {"textRect", Rect(item.textLeft, item.textTop, item.textRight, item.textBottom)},
    };
}

Json AreaJson(const AreaRecord& area) {
    Json items = Json::array();
    for (const AreaItem& item : area.items) items.push_back(ItemJson(item));
    const auto& o = area.osdRect;
    const auto& g = area.originalRect;
    return {{"id", area.id},
            {"type", area.type},
            {"left", area.left},
            {"top", area.top},
            {"right", area.right},
            {"bottom", area.bottom},
            {"osdRect", Rect(o[0], o[1], o[2], o[3])},
            {"originalRect", Rect(g[0], g[1], g[2], g[3])},
            {"backgroundMode", area.backgroundMode},
            {"backgroundColor", area.backgroundColour},
            {"edgeDegree", area.edgeDegree},
            {"edgeColor", area.edgeColour},
            {"items", std::move(items)}};
}

Json ProgramJson(const ProgramRecord& program) {
    const ScheduleRecord& s = program.schedule;
    Json windows = Json::array();
    for (const TimeWindow& w : s.windows)
        windows.push_back({{"id", w.id},
                           {"begin", Json::array({w.beginHour, w.beginMinute, w.beginSecond})},
                           {"end", Json::array({w.endHour, w.endMinute, w.endSecond})}});
    Json areas = Json::array();
    for (const AreaRecord& area : program.areas) areas.push_back(AreaJson(area));
    return {{"id", program.id},
            {"idText", program.idText},
            {"osd", program.osd},
            {"playtime", program.playtime},
            {"playtimes", program.playtimes},
            {"waitfinish", program.waitfinish},
            {"schedule",
             {{"priority", s.priority},
              {"weekdayMask", s.weekdayMask},
              {"begin", Json::array({s.beginYear, s.beginMonth, s.beginDay})},
              {"end", Json::array({s.endYear, s.endMonth, s.endDay})},
              {"windows", std::move(windows)}}},
            {"areas", std::move(areas)}};
}

// `value` printed with an indent of 2, its lines after the first indented by
// `depth` levels to sit inside the document. Playlists come from anywhere:
// invalid UTF-8 is shown replaced, not refused.
std::string Nested(const Json& value, int depth) {
    std::string text = value.dump(2, ' ', false, Json::error_handler_t::replace);
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        result += c;
        if (c == '\n') result.append(size_t(depth) * 2, ' ');
    }
    return result;
}

// A program list is written one program at a time: a playlist of many
// programs would otherwise be held as a JSON tree several times its size.
void WritePrograms(std::ostream& out, const char* name, const std::vector<ProgramRecord>& list) {
    out << ",\n  \"" << name << "\": [";
    for (size_t i = 0; i < list.size(); ++i)
        out << (i ? "," : "") << "\n    " << Nested(ProgramJson(list[i]), 2);
    out << (list.empty() ? "]" : "\n  ]");
}

std::optional<Size> ParseDisplay(const std::string& text) {
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X') ||
        w <= 0 || h <= 0)
        return std::nullopt;
    return Size{w, h};
}

}  // namespace

void WritePlaylistJson(const PlaylistRead& read, std::ostream& out) {
    if (read.result != 0) {
        out << Nested(Json{{"result", read.result}}, 0) << "\n";
        return;
    }
    static const ProgramLists kNone;
    const ProgramLists& lists = read.lists ? *read.lists : kNone;
    Json screen = {{"width", read.screen.width},
                   {"height", read.screen.height},
                   {"osdOffsetLine", read.screen.osdOffsetLine}};
    out << "{\n  \"result\": " << read.result << ",\n  \"screen\": " << Nested(screen, 1);
    WritePrograms(out, "all", lists.all);
    WritePrograms(out, "normal", lists.normal);
    WritePrograms(out, "osd", lists.osd);
    Json cut = Json::array();
    for (const CutProgram& p : read.cutPrograms)
        cut.push_back({{"program", p.idText}, {"areas", p.areasInFile}, {"kept", kMaxAreas}});
    Json tail = {{"lastFrames", lists.lastFrames},
                 {"tvAreaSize", read.tvAreaSize ? Json(*read.tvAreaSize) : Json(nullptr)},
                 {"areasCut", std::move(cut)}};
    for (const auto& [key, value] : tail.items())
        out << ",\n  " << Json(key).dump() << ": " << Nested(value, 1);
    out << "\n}\n";
}

int InspectPlaylist(const InspectPlaylistOptions& options, std::ostream& out, std::ostream& err) {
    RunMode mode;
    if (options.runMode == "flash") {
        mode = RunMode::Flash;
    } else if (options.runMode == "sd") {
        mode = RunMode::SdCard;
    } else {
        err << "inspect-playlist: --run-mode is flash or sd\n";
        return 2;
    }
    auto playerType = PlayerTypeFromText(options.playerType);
    if (!playerType) {
        err << "inspect-playlist: unknown player type \"" << options.playerType << "\"\n";
        return 2;
    }
    auto display = ParseDisplay(options.display);
    if (!display) {
        err << "inspect-playlist: --display wants WxH\n";
        return 2;
    }
    LocalTime today = Clock().Now();
    if (!options.today.empty()) {
        auto parsed = LocalTime::Parse(options.today + " 00:00:00");
        if (!parsed) {
            err << "inspect-playlist: --today wants YYYY-MM-DD\n";
            return 2;
        }
        today = *parsed;
    }

    PrivateRoot root;
    if (root.Path().empty()) {
        err << "inspect-playlist: cannot make a temporary directory\n";
        return 2;
    }
    DeviceFs device(root.Path());
    StoragePaths paths = BuildStoragePaths(mode);
    std::error_code ec;
    for (const std::string& dir : {std::string("\\nand"), paths.video, paths.xml})
        if (auto host = device.Resolve(dir)) fs::create_directories(*host, ec);
    auto target = device.Resolve(paths.playlist);
    if (!target || !fs::copy_file(options.file, *target, ec))
        err << "inspect-playlist: cannot read " << options.file << "\n";

    PlaylistEnvironment env{device, paths.video, *playerType, *display, today, display->height};
    PlaylistRead read = ReadPlaylistFile(env, paths.playlist);
    WritePlaylistJson(read, out);
    return read.result == 0 ? 0 : 1;
}

}  // namespace led
