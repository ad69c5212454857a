// Settings files the tool reads and writes whole: one row per code.

#include <spdlog/spdlog.h>

#include <algorithm>
#include <string_view>

#include "core/Player.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "screen/Schedules.h"

namespace led {
namespace {

enum class Kind { Data, Data10 };

struct GetRow {
    uint8_t code;
    const char* path;
    Kind kind;
    size_t maxBytes;
};

// The files the tool reads back; a missing file answers Ack10.
constexpr GetRow kGetRows[] = {
    {5, "\\nand\\table\\para.dat", Kind::Data10, kMaxFileReply},
    {6, "\\nand\\table\\router.dat", Kind::Data10, kMaxFileReply},
    {7, "\\nand\\table\\link.dat", Kind::Data10, kMaxFileReply},
    {23, "\\nand\\table\\brightAdj.dat", Kind::Data, kMaxFileReply},
    {45, "\\nand\\table\\linkposadj.dat", Kind::Data10, kMaxFileReply},
    {46, "\\nand\\table\\linkwh.dat", Kind::Data10, kMaxFileReply},
    {47, "\\nand\\table\\linkwhadj.dat", Kind::Data10, kMaxFileReply},
    {48, "\\nand\\table\\autobright.dat", Kind::Data, kMaxFileReply},
    {49, "\\nand\\table\\poweronoff.dat", Kind::Data, kMaxFileReply},
    {51, "\\nand\\table\\brighttype.dat", Kind::Data10, kMaxFileReply},
    {54, "\\nand\\table\\relayschedule.dat", Kind::Data, kMaxFileReply},
    {58, "\\nand\\table\\adjvolume.dat", Kind::Data, kMaxFileReply},
    {69, "\\nand\\table\\moduletablefile.dat", Kind::Data10, kMaxFileReply},
    {71, "\\nand\\mac.dat", Kind::Data10, kMaxFileReply},
    {82, "\\nand\\table\\writebalance.dat", Kind::Data, 3},
    {84, "\\nand\\table\\color.dat", Kind::Data, 48},
    {86, "\\nand\\table\\autotimerfile.dat", Kind::Data, kMaxFileReply},
    {89, "\\nand\\table\\setresetfile.dat", Kind::Data, kMaxFileReply},
    {92, "\\nand\\table\\recctrlswitch.dat", Kind::Data, kMaxFileReply},
    {99, "\\nand\\storeplace.txt", Kind::Data, kMaxFileReply},
};

struct SetRow {
    uint8_t code;
    const char* path;
    const char* alsoDeletes;  // or nullptr
    bool reloadsSchedules;
};

// The files the tool writes whole. The schedules read them again at once.
constexpr SetRow kSetRows[] = {
    {22, "\\nand\\table\\brightAdj.dat", nullptr, true},
    {39, "\\nand\\table\\poweronoff.dat", nullptr, true},
    {53, "\\nand\\table\\relayschedule.dat", "\\nand\\table\\setswitchfile.dat", true},
    {57, "\\nand\\table\\adjvolume.dat", nullptr, true},
    {85, "\\nand\\table\\autotimerfile.dat", nullptr, false},
    {88, "\\nand\\table\\setresetfile.dat", nullptr, false},
};

template <typename Row, size_t N>
const Row* RowOf(const Row (&rows)[N], uint8_t code) {
    auto it = std::find_if(std::begin(rows), std::end(rows),
                           [&](const Row& r) { return r.code == code; });
    return it == std::end(rows) ? nullptr : it;
}

constexpr const char* kPcParameters = "\\nand\\table\\pcparas.dat";
constexpr size_t kPcBlock = 1024;

}  // namespace

void OnGetFile(Request& r) {
    const GetRow* row = RowOf(kGetRows, r.code);
    if (!row) return;
    auto bytes = r.player.fs.ReadFile(row->path, row->maxBytes);
    if (!bytes) {
        spdlog::debug("control {}: {} cannot be read", int(r.code), row->path);
        r.Ack10();
        return;
    }
    if (row->kind == Kind::Data10)
        r.Data10(*bytes);
    else
        r.Data(*bytes);
}

void OnSetFile(Request& r) {
    const SetRow* row = RowOf(kSetRows, r.code);
    if (!row) return;
    auto& fs = r.player.fs;
    // A power schedule shorter than one record only deletes the file.
    if (r.code == 39 && r.payload.size() < 3) {
        fs.Remove(row->path);
        LoadSchedules(r.player);
        return;
    }
    if (!fs.WriteFile(row->path, r.payload.data(), r.payload.size())) {
        spdlog::error("control {}: {} cannot be written", int(r.code), row->path);
        return;  // the tool must not take a lost setting for a stored one
    }
    if (row->alsoDeletes) fs.Remove(row->alsoDeletes);
    if (row->reloadsSchedules) LoadSchedules(r.player);
    r.Ack();
}

void OnWritePcParameters(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 102: no first-flag byte, nothing written");
        return;
    }
    auto data = r.payload.subspan(1);
    auto& fs = r.player.fs;
    bool ok = true;
    if (r.payload[0] == 0)
        ok = fs.WriteFile(kPcParameters, data.data(), data.size());
    else if (fs.Exists(kPcParameters))
        ok = fs.AppendFile(kPcParameters, data.data(), data.size());
    if (!ok) {
        spdlog::error("control 102: {} cannot be written", kPcParameters);
        return;
    }
    r.Ack();
}

void OnReadPcParameters(Request& r) {
    auto bytes = r.player.fs.ReadFile(kPcParameters);
    if (!bytes) {
        r.Ack();
        return;
    }
    // Blocks of 1024 bytes, each behind its index byte, 200 ms apart.
    std::vector<uint8_t> block;
    for (size_t at = 0, index = 0; at < bytes->size(); at += kPcBlock, ++index) {
        if (index > 0) r.Pause(200);
        size_t n = std::min(kPcBlock, bytes->size() - at);
        block.assign(1, uint8_t(index));
        block.insert(block.end(), bytes->begin() + ptrdiff_t(at),
                     bytes->begin() + ptrdiff_t(at + n));
        r.Data(block);
    }
    if (bytes->empty()) r.Ack();
}

}  // namespace led
