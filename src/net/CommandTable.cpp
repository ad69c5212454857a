// The command set of the control protocol: every code either transport acts
// on, in one table. Column by column: code, name, what a TCP session does with
// it, whether the UDP server handles it, the two handlers, and for the README
// the reply and a summary.

#include <algorithm>
#include <array>
#include <sstream>

#include "net/Handlers.h"

namespace led {
namespace {

using enum TcpRole;

constexpr bool kUdp = true, kTcpOnly = false;

// clang-format off
constexpr Command kCommands[] = {
    {0, "ResetStorage", Own, kUdp, OnResetStorage, OnResetStorage, "TCP none; UDP Ack first", "TCP: deletes \\Storage Card 1_0\\table\\. UDP mode 0: erases programs, tables and settings files and restarts; mode 1: erases programs and restarts"},
    {1, "SetParaTable", Relay, kUdp, nullptr, OnSetRawTable, "Ack after the card's ack", "module/scan parameters to the card and \\nand\\tabletemp\\para.dat"},
    {2, "SetRouterTable", Relay, kUdp, nullptr, OnSetRawTable, "\"FPGA_CMD_ROUTE\" and its zero", "receiving-card routing to the card and tabletemp\\router.dat"},
    {3, "SetLinkTable", Relay, kUdp, nullptr, OnSetRawTable, "\"FPGA_CMD_LINK\" and its zero", "cabling table to the card and tabletemp\\link.dat"},
    {4, "GetDeviceInfo", Own, kUdp, OnGetDeviceInfo, OnGetDeviceInfo, "TCP 57 bytes; UDP 73 bytes", "addresses, MAC, version, player type, account (UDP: length 0 answers the broadcast address, 1 the sender)"},
    {5, "GetParaTable", Relay, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\table\\para.dat"},
    {6, "GetRouterTable", Relay50, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\table\\router.dat"},
    {7, "GetLinkTable", Relay50, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\table\\link.dat"},
    {8, "ProgramManifest", Own, kTcpOnly, OnTransferAnnounce, nullptr, "Data: updated file.xml", "announces a program file"},
    {9, "ProgramFileData", Own, kTcpOnly, OnTransferData, nullptr, "none", "program file content (streamed)"},
    {13, "ProgramsComplete", Own, kTcpOnly, OnTransferComplete, nullptr, "Ack10 first", "installs the received programs and restarts playback"},
    {14, "SetGammaRed", Relay, kUdp, nullptr, OnSetGamma, "Ack after the card's ack", "red gamma curve (value = gamma x 10) to the card"},
    {15, "SetGammaGreen", Relay, kUdp, nullptr, OnSetGamma, "Ack after the card's ack", "green gamma curve to the card"},
    {16, "SetGammaBlue", Relay, kUdp, nullptr, OnSetGamma, "Ack after the card's ack", "blue gamma curve to the card"},
    {17, "GetGammaRed", Relay, kUdp, nullptr, OnGetGamma, "Data10(1)", "the red gamma value last acknowledged"},
    {18, "GetGammaGreen", Relay, kUdp, nullptr, OnGetGamma, "Data10(1)", "the green gamma value"},
    {19, "GetGammaBlue", Relay, kUdp, nullptr, OnGetGamma, "Data10(1)", "the blue gamma value"},
    {20, "SetManualBrightness", RelayPlus, kUdp, OnBrightnessFilesLocal, OnSetManualBrightness, "Ack", "fixed brightness level to the card"},
    {21, "GetBrightness", Relay, kUdp, nullptr, OnGetBrightness, "Data10(1)", "the brightness level last sent"},
    {22, "SetBrightnessSchedule", Relay, kUdp, nullptr, OnSetFile, "Ack", "brightness time table brightAdj.dat"},
    {23, "GetBrightnessSchedule", Own, kUdp, OnGetFile, OnGetFile, "Data", "brightAdj.dat"},
    {24, "SetClock", Own, kUdp, OnSetClock, OnSetClock, "TCP Ack; UDP \"FPGA_CMD_TIMEADJUST\" and its zero", "sets the local time"},
    {25, "ProgramsCompleteQuiet", Own, kTcpOnly, OnTransferComplete, nullptr, "Ack10 first", "installs the received programs without blanking"},
    {28, "CommitTablesOrScreenOff", Relay, kUdp, nullptr, OnCommitTables, "Ack10 first", "1: saves the working tables; then the screen output off and the power schedule cleared"},
    {29, "ScreenOn", Relay, kUdp, nullptr, OnScreenOn, "Ack10", "screen output on"},
    {30, "UpdateManifest", Own, kTcpOnly, OnTransferAnnounce, nullptr, "Data: updated file.xml", "announces an update file"},
    {31, "UpdateFileData", Own, kTcpOnly, OnTransferData, nullptr, "none", "update file content (streamed)"},
    {32, "UnpackUpdate", Own, kTcpOnly, OnUnpackUpdate, nullptr, "Ack", "unpacks the last update file"},
    {33, "SetLinkSizeTable", Relay, kUdp, nullptr, OnSetRawTable, "Ack10 after the card's ack", "cabling sizes to the card and tabletemp\\linkwh.dat"},
    {34, "SetStoragePlace", Own, kUdp, OnSetStoragePlace, OnSetStoragePlace, "TCP none; UDP Ack", "storage choice: TCP switches the run mode at once, UDP restarts"},
    {35, "SetLinkPositionTable", Relay, kUdp, nullptr, OnSetRawTable, "Ack10 after the card's ack", "cabling positions to the card and tabletemp\\linkposadj.dat"},
    {36, "SetLinkSizeAdjTable", Relay, kUdp, nullptr, OnSetRawTable, "Ack10 after the card's ack", "cabling size adjustment to the card and tabletemp\\linkwhadj.dat"},
    {37, "ReadCardModuleData", Relay, kUdp, nullptr, OnCardCommand, "Data", "reads the card's module block"},
    {38, "SetAutoBrightness", RelayPlus, kUdp, OnBrightnessFilesLocal, OnSetAutoBrightness, "Ack", "light-sensor brightness (4 bytes) to autobright.dat"},
    {39, "SetPowerSchedule", Relay, kUdp, nullptr, OnSetFile, "Ack (none when only deleted)", "screen on/off times poweronoff.dat"},
    {40, "SetScreenPower", RelayPlus, kUdp, OnScreenPowerLocal, OnSetScreenPower, "Ack first", "0: screen off and playback stopped; other: on and playback resumed"},
    {41, "SetNetInfo", Own, kUdp, OnSetNetInfo, OnSetNetInfo, "Ack", "writes netinfo.txt (account, server host, port) and netinfo_bk.txt"},
    {42, "SetHeartbeatInterval", Own, kTcpOnly, OnSetHeartbeatInterval, nullptr, "Ack", "heartbeat interval; sessions end after (interval + 30) s of silence"},
    {43, "GetNetInfo", None, kUdp, nullptr, OnGetNetInfo, "Data", "account,server host,port"},
    {44, "GetStorageSpace", None, kUdp, nullptr, OnGetStorageSpace, "Data(9)", "run mode, total and free megabytes of the program volume"},
    {45, "GetLinkPositionTable", None, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\table\\linkposadj.dat"},
    {46, "GetLinkSizeTable", None, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\table\\linkwh.dat"},
    {47, "GetLinkSizeAdjTable", None, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\table\\linkwhadj.dat"},
    {48, "GetAutoBrightness", Own, kUdp, OnGetFile, OnGetFile, "Data", "autobright.dat"},
    {49, "GetPowerSchedule", Own, kUdp, OnGetFile, OnGetFile, "Data", "poweronoff.dat"},
    {50, "GetBrightnessType", None, kUdp, nullptr, OnGetBrightnessType, "Data10(2): 1, type", "the brightness type"},
    {51, "GetBrightnessTypeFile", None, kUdp, nullptr, OnGetFile, "Data10", "brighttype.dat"},
    {52, "GetStatus", Own, kUdp, OnGetStatus, OnGetStatus, "Data(85)", "the auxiliary board's status block"},
    {53, "SetRelaySchedule", Own, kUdp, OnSetFile, OnSetFile, "Ack", "relay schedule relayschedule.dat"},
    {54, "GetRelaySchedule", Own, kUdp, OnGetFile, OnGetFile, "Data", "relayschedule.dat"},
    {55, "SetVolume", RelayPlus, kUdp, OnSetVolumeLocal, OnSetVolume, "Ack first", "volume 0..100 for sound and video, volume.dat"},
    {56, "GetOutputLevel", Own, kUdp, OnGetBrightness, OnGetBrightness, "Data10(1)", "the brightness level last sent"},
    {57, "SetVolumeSchedule", Own, kUdp, OnSetFile, OnSetFile, "Ack", "volume schedule adjvolume.dat"},
    {58, "GetVolumeSchedule", Own, kUdp, OnGetFile, OnGetFile, "Data", "adjvolume.dat"},
    {59, "TypedManifest", Own, kTcpOnly, OnTransferAnnounce, nullptr, "Data: updated file.xml", "announces a typed file (fonts, firmware, pictures)"},
    {60, "TypedFileData", Own, kTcpOnly, OnTransferData, nullptr, "none", "typed file content (streamed)"},
    {61, "FontsComplete", Own, kTcpOnly, OnTransferComplete, nullptr, "Ack10 first", "installs the received fonts"},
    {62, "StartTestPattern", Own, kUdp, OnStartTestPattern, OnStartTestPattern, "Ack", "stops playback and shows test pattern 0..7"},
    {63, "StopTestPattern", Own, kUdp, OnStopTestPattern, OnStopTestPattern, "Ack", "ends the test pattern"},
    {65, "SetExportPlace", Own, kUdp, OnSetExportPlace, OnSetExportPlace, "TCP Ack; UDP Ack10", "TCP: export place and run mode; UDP: program channel"},
    {66, "SendGammaTables", None, kUdp, nullptr, OnSendGammaTables, "Ack", "sends the three saved gamma curves to the card"},
    {67, "GetGammaTables", None, kUdp, nullptr, OnGetGammaTables, "Data10 per colour", "GammaRed.dat, GammaGreen.dat, GammaBlue.dat"},
    {68, "SetModuleTable", None, kUdp, nullptr, OnSetRawTable, "Ack after the card's ack", "module table to the card and tabletemp\\moduletablefile.dat"},
    {69, "GetModuleTable", None, kUdp, nullptr, OnGetFile, "Data10", "moduletablefile.dat"},
    {70, "SetSwitchSchedule", Own, kUdp, OnSetSwitchSchedule, OnSetSwitchSchedule, "Ack", "relay states setswitchfile.dat, applied at once"},
    {71, "GetMac", None, kUdp, nullptr, OnGetFile, "Data10", "\\nand\\mac.dat"},
    {73, "WriteCardRegister", None, kUdp, nullptr, OnCardCommand, "Ack10", "writes a card register"},
    {74, "ReadCardRegister", None, kUdp, nullptr, OnCardCommand, "Data, or Ack10 without answer", "reads card registers"},
    {75, "InstallPointTestPicture", Own, kTcpOnly, OnInstallPointTestPicture, nullptr, "Ack10 first", "installs the uploaded point test picture"},
    {76, "SetPointEnable", None, kUdp, nullptr, OnCardCommand, "Ack", "point enable to the card and pointenable.dat"},
    {77, "CardTestCommand", None, kUdp, nullptr, OnCardCommand, "Ack when the card answered", "card command, test display, firmware block"},
    {78, "FpgaUpdate", Own, kUdp, OnCardCommand, OnCardCommand, "Ack first", "TCP: sends the uploaded firmware to the card"},
    {79, "CardPassThrough", None, kUdp, nullptr, OnCardCommand, "Ack when the card acknowledged", "payload unchanged to the card"},
    {80, "GetCardStatusFlags", None, kUdp, nullptr, OnCardCommand, "Data(n)", "the card's status flags"},
    {81, "SetWhiteBalance", None, kUdp, nullptr, OnSetWhiteBalance, "Ack after the card's ack", "white balance (3 bytes) to the card"},
    {82, "GetWhiteBalance", None, kUdp, nullptr, OnGetFile, "Data (12 bytes)", "writebalance.dat"},
    {83, "SetColourTable", None, kUdp, nullptr, OnSetColourTable, "Ack after the card's ack", "colour correction (twelve coefficients) to the card"},
    {84, "GetColourTable", None, kUdp, nullptr, OnGetFile, "Data (57 bytes)", "color.dat"},
    {85, "SetAutoTimer", Own, kUdp, OnSetFile, OnSetFile, "Ack", "autotimerfile.dat"},
    {86, "GetAutoTimer", Own, kUdp, OnGetFile, OnGetFile, "Data", "autotimerfile.dat"},
    {87, "SyncClock", Own, kUdp, OnSetClock, OnSetClock, "Ack", "sets the local time (TCP: only with net.clock-sync = 1)"},
    {88, "SetResetSchedule", Own, kUdp, OnSetFile, OnSetFile, "Ack", "restart times setresetfile.dat"},
    {89, "GetResetSchedule", Own, kUdp, OnGetFile, OnGetFile, "Data", "setresetfile.dat"},
    {91, "SetTemperatureControl", Own, kUdp, OnSetTemperatureControl, OnSetTemperatureControl, "Ack", "temperature-controlled relay switching"},
    {92, "GetTemperatureControl", None, kUdp, nullptr, OnGetFile, "Data", "recctrlswitch.dat"},
    {93, "CaptureToCamera", Hook, kTcpOnly, nullptr, nullptr, "none", "saves \\NAND\\Camera\\org.bmp and osd.bmp"},
    {99, "GetStoragePlace", Own, kTcpOnly, OnGetFile, nullptr, "Data", "\\nand\\storeplace.txt"},
    {100, "Heartbeat", Own, kTcpOnly, OnHeartbeat, nullptr, "Ack", "keeps the session alive"},
    {101, "Reboot", Own, kUdp, OnReboot, OnReboot, "Ack first", "restarts the board (system.reboot-command)"},
    {102, "WritePcParameters", None, kUdp, nullptr, OnWritePcParameters, "Ack", "first-flag 0 writes pcparas.dat anew, other appends"},
    {103, "ReadPcParameters", None, kUdp, nullptr, OnReadPcParameters, "one frame per 1024-byte block", "pcparas.dat"},
    {111, "ShowTextMessage", Own, kTcpOnly, OnShowTextMessage, nullptr, "Data(1)", "shows a text message"},
    {114, "CaptureScreen", Own, kTcpOnly, OnCaptureScreen, nullptr, "none", "saves a screen capture to \\nand\\capture.bmp"},
    {115, "GetScreenSize", Own, kTcpOnly, OnGetScreenSize, nullptr, "Data(8)", "the playlist's screen width and height"},
    {117, "SetLanguage", Own, kUdp, OnSetLanguage, OnSetLanguage, "Ack", "1 Chinese texts, other English"},
    {151, "DownloadFile", Own, kTcpOnly, OnDownloadFile, nullptr, "8-byte head + data", "sends a fresh screen capture"},
};
// clang-format on

constexpr bool InCodeOrder() {
    for (size_t i = 1; i < std::size(kCommands); ++i)
        if (kCommands[i - 1].code >= kCommands[i].code) return false;
    return true;
}
static_assert(InCodeOrder(), "the command table is kept in code order, one row a code");

// A relayed code must be one the UDP server runs. (That every row has the
// handlers its roles need is checked by the tests: comparing function
// addresses is not a constant expression in every build.)
constexpr bool RelaysReachUdp() {
    for (const auto& c : kCommands)
        if ((c.tcp == Relay || c.tcp == Relay50 || c.tcp == RelayPlus) && !c.udp) return false;
    return true;
}
static_assert(RelaysReachUdp(), "every relayed code is handled by the UDP server");

const char* RoleText(TcpRole role) {
    switch (role) {
        case Own: return "own";
        case Relay: return "relay";
        case Relay50: return "relay (50 ms)";
        case RelayPlus: return "local part + relay";
        case Hook: return "capture hook";
        default: return "-";
    }
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(uint8_t code) {
    auto it = std::lower_bound(std::begin(kCommands), std::end(kCommands), code,
                               [](const Command& c, uint8_t v) { return c.code < v; });
    return it != std::end(kCommands) && it->code == code ? it : nullptr;
}

std::string CommandsMarkdown() {
    std::ostringstream out;
    out << "| Code | Name | TCP 5002 | UDP 5001 | Reply | What it does |\n";
    out << "|---|---|---|---|---|---|\n";
    for (const auto& c : kCommands)
        out << "| " << int(c.code) << " | `" << c.name << "` | " << RoleText(c.tcp) << " | "
            << (c.udp ? "yes" : "-") << " | " << c.reply << " | " << c.summary << " |\n";
    return out.str();
}

}  // namespace led
