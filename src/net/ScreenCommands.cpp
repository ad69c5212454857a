// The screen hardware: parameter tables, gamma, colour, brightness, power,
// volume, relays and the tool's direct card commands. Everything that talks
// to the card answers only when the card acknowledged.

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>

#include "clock/StatusBlock.h"
#include "core/Player.h"
#include "net/CardMaintenance.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "net/Transfer.h"
#include "program/ScreenPower.h"
#include "screen/AuxBoard.h"
#include "screen/Brightness.h"
#include "screen/CardSenders.h"
#include "screen/Schedules.h"
#include "screen/ScreenTables.h"
#include "storage/Files.h"
#include "storage/SettingsFiles.h"
#include "video/VideoItems.h"

namespace led {
namespace {

struct RawTableRow {
    uint8_t code;
    const char* file;
    RawTableKind kind;
    enum class Answer { Ack, Ack10, Route, Link } answer;
};

constexpr RawTableRow kRawTables[] = {
    {1, "para.dat", RawTableKind::Plain, RawTableRow::Answer::Ack},
    {2, "router.dat", RawTableKind::Plain, RawTableRow::Answer::Route},
    {3, "link.dat", RawTableKind::Plain, RawTableRow::Answer::Link},
    {33, "linkwh.dat", RawTableKind::Plain, RawTableRow::Answer::Ack10},
    {35, "linkposadj.dat", RawTableKind::Plain, RawTableRow::Answer::Ack10},
    {36, "linkwhadj.dat", RawTableKind::Plain, RawTableRow::Answer::Ack10},
    {68, "moduletablefile.dat", RawTableKind::Module, RawTableRow::Answer::Ack},
};

// A fixed text answered with its terminating zero, as the tool expects.
template <size_t N>
void AnswerText(Request& r, const char (&text)[N]) {
    r.Send(Request::AsBytes({text, N}), "data");
}

GammaColour ColourOf(uint8_t code, uint8_t first) {
    return GammaColour(std::clamp(code - first, 0, 2));
}

void WriteBrightnessType(Player& player, uint8_t type) {
    const uint8_t word[4] = {type, 0, 0, 0};
    player.fs.WriteFile(files::kBrightType, word, sizeof word);
}

void DeleteAll(Player& player, std::initializer_list<const char*> paths) {
    for (const char* p : paths) player.fs.Remove(p);
}

void ApplyVolume(Player& player, int volume) {
    player.device.volume = volume;
    player.video.waveOut->SetWaveVolume(uint32_t(volume * 65535 / 100));
    SetVideoVolume(player, volume);
}

}  // namespace

void OnSetRawTable(Request& r) {
    auto row = std::find_if(std::begin(kRawTables), std::end(kRawTables),
                            [&](const RawTableRow& t) { return t.code == r.code; });
    if (row == std::end(kRawTables)) return;
    if (!ApplyRawTable(r.player, r.payload, row->file, row->kind)) {
        spdlog::warn("control {}: the card did not take {}", int(r.code), row->file);
        return;
    }
    switch (row->answer) {
        case RawTableRow::Answer::Ack: r.Ack(); break;
        case RawTableRow::Answer::Ack10: r.Ack10(); break;
        case RawTableRow::Answer::Route: AnswerText(r, "FPGA_CMD_ROUTE"); break;
        case RawTableRow::Answer::Link: AnswerText(r, "FPGA_CMD_LINK"); break;
    }
}

void OnSetGamma(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control {}: no gamma value", int(r.code));
        return;
    }
    if (ApplyGamma(r.player, ColourOf(r.code, 14), r.payload[0])) r.Ack();
}

void OnGetGamma(Request& r) {
    const uint8_t value = uint8_t(r.player.device.gamma[size_t(ColourOf(r.code, 17))].load());
    r.Data10({&value, 1});
}

void OnSendGammaTables(Request& r) {
    if (SendStoredGammaTables(r.player)) r.Ack();
}

void OnGetGammaTables(Request& r) {
    for (const char* name : {"GammaRed.dat", "GammaGreen.dat", "GammaBlue.dat"}) {
        auto bytes = r.player.fs.ReadFile(std::string("\\nand\\table\\") + name, kMaxFileReply);
        if (bytes)
            r.Data10(*bytes);
        else
            r.Ack10();
    }
}

void OnSetWhiteBalance(Request& r) {
    if (ApplyWhiteBalance(r.player, r.payload)) r.Ack();
}

void OnSetColourTable(Request& r) {
    if (ApplyColourCorrection(r.player, r.payload)) r.Ack();
}

void OnCommitTables(Request& r) {
    r.Ack10();
    SaveTables(r.player, r.Byte(0));
}

void OnScreenOn(Request& r) {
    SetCardSwitchC800(r.player.ports, true);
    r.Ack10();
}

// The files a TCP session deletes itself before it relays 20 and 38.
void OnBrightnessFilesLocal(Request& r) {
    if (r.code == 20)
        DeleteAll(r.player, {files::kBrightType, files::kAutoBright, files::kBrightAdj});
    else
        DeleteAll(r.player, {files::kBrightAdj});
}

void OnSetManualBrightness(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 20: no brightness level");
        return;
    }
    uint8_t level = r.payload[0];
    DeleteAll(r.player, {files::kBrightType, files::kAutoBright, files::kBrightAdj});
    SetCardBrightness(r.player.ports, level);
    r.player.device.brightness = level;
    const uint8_t manual[2] = {1, level};
    r.player.fs.WriteFile(files::kManualBright, manual, sizeof manual);
    WriteBrightnessType(r.player, 1);
    LoadSchedules(r.player);
    r.Ack();
}

void OnSetAutoBrightness(Request& r) {
    if (r.payload.size() < 4) {
        spdlog::warn("control 38: {} bytes, 4 needed: ignored", r.payload.size());
        return;
    }
    r.player.fs.WriteFile(files::kAutoBright, r.payload.data(), 4);
    WriteBrightnessType(r.player, 3);
    DeleteAll(r.player, {files::kBrightAdj});
    LoadSchedules(r.player);
    r.Ack();
}

void OnGetBrightness(Request& r) {
    const uint8_t level = uint8_t(r.player.device.brightness.load());
    r.Data10({&level, 1});
}

// A "1" byte, then the brightness type of brighttype.dat (1 without the file).
void OnGetBrightnessType(Request& r) {
    auto type = r.player.fs.ReadFile(files::kBrightType, 1);
    const uint8_t answer[2] = {1, type && !type->empty() ? (*type)[0] : uint8_t(1)};
    r.Data10(answer);
}

void OnScreenPowerLocal(Request& r) { DeleteAll(r.player, {files::kPowerOnOff}); }

void OnSetScreenPower(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 40: no power byte");
        return;
    }
    r.Ack();
    DeleteAll(r.player, {files::kPowerOnOff});
    LoadSchedules(r.player);
    const bool on = r.payload[0] != 0;
    r.player.schedules.screenOn = on ? 1 : 0;
    SetScreenPowerState(r.player, on, "command");
}

void OnSetVolumeLocal(Request& r) {
    if (!r.payload.empty()) ApplyVolume(r.player, std::min<int>(r.payload[0], 100));
}

void OnSetVolume(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 55: no volume byte");
        return;
    }
    r.Ack();
    int volume = std::min<int>(r.payload[0], 100);
    ApplyVolume(r.player, volume);
    DeleteAll(r.player, {files::kAdjVolume});
    WriteVolume(r.player.fs, volume);
    LoadSchedules(r.player);
    r.player.events.Emit("volume", {{"volume", volume}, {"code", 55}, {"source", "manual"}});
}

void OnSetSwitchSchedule(Request& r) {
    if (!r.player.fs.WriteFile(files::kSetSwitch, r.payload.data(), r.payload.size())) {
        spdlog::error("control 70: {} cannot be written", files::kSetSwitch);
        return;
    }
    // Records of two bytes: relay index, state.
    for (size_t i = 0; i + 1 < r.payload.size(); i += 2)
        SetRelay(r.player.ports, r.payload[i + 1], r.payload[i], "switch");
    r.Ack();
}

// The 85-byte status block (layout in clock/StatusBlock.h).
void OnGetStatus(Request& r) { r.Data(StatusBlock(r.player)); }

void OnCardCommand(Request& r) {
    Player& p = r.player;
    switch (r.code) {
        case 37:
            if (auto data = ReadCardModuleData(p)) r.Data(*data);
            break;
        case 73:
            if (WriteCardRegister(p, r.payload)) r.Ack10();
            break;
        case 74:
            if (auto data = ReadCardRegister(p, r.payload))
                r.Data(*data);
            else
                r.Ack10();
            break;
        case 76:
            if (!r.payload.empty() && SetPointEnable(p, r.payload[0])) r.Ack();
            break;
        case 77:
            // The card's own answer is read by the command; the tool gets an ack.
            if (CardTestCommand(p, r.payload)) r.Ack();
            break;
        case 78:
            r.Ack();
            if (r.transport == Transport::Tcp) {
                FpgaUpdate(p);
                // The session goes on with the directories it used before the
                // firmware file.
                if (r.transfer) RestoreTransferAfterFirmware(*r.transfer);
            }
            break;
        case 79:
            if (CardPassThrough(p, r.payload)) r.Ack();
            break;
        case 80: r.Data(GetCardStatusFlags(p)); break;
        default: break;
    }
}

}  // namespace led
