#pragma once
// The handlers of the command table, by family. Each takes the request and
// answers through it; see CommandTable.cpp for which code runs which.

#include "net/Command.h"

namespace led {

// Session and transfer commands (SessionCommands.cpp).
void OnHeartbeat(Request& r);
void OnSetHeartbeatInterval(Request& r);
void OnGetScreenSize(Request& r);
void OnTransferAnnounce(Request& r);
void OnTransferData(Request& r);
void OnTransferComplete(Request& r);
void OnUnpackUpdate(Request& r);
void OnInstallPointTestPicture(Request& r);
void OnShowTextMessage(Request& r);
void OnCaptureScreen(Request& r);
void OnDownloadFile(Request& r);
void OnStartTestPattern(Request& r);
void OnStopTestPattern(Request& r);
void OnSetTemperatureControl(Request& r);

// Device identity, network, storage, clock and restart (DeviceCommands.cpp).
void OnGetDeviceInfo(Request& r);
void OnSetNetInfo(Request& r);
void OnGetNetInfo(Request& r);
void OnGetStorageSpace(Request& r);
void OnSetLanguage(Request& r);
void OnSetClock(Request& r);
void OnReboot(Request& r);
void OnResetStorage(Request& r);
void OnSetStoragePlace(Request& r);
void OnSetExportPlace(Request& r);

// Settings files read and written whole (FileCommands.cpp).
void OnGetFile(Request& r);
void OnSetFile(Request& r);
void OnWritePcParameters(Request& r);
void OnReadPcParameters(Request& r);

// The screen: tables, gamma, brightness, power, volume, relays and the card
// (ScreenCommands.cpp).
void OnSetRawTable(Request& r);
void OnSetGamma(Request& r);
void OnGetGamma(Request& r);
void OnSendGammaTables(Request& r);
void OnGetGammaTables(Request& r);
void OnSetWhiteBalance(Request& r);
void OnSetColourTable(Request& r);
void OnCommitTables(Request& r);
void OnScreenOn(Request& r);
void OnSetManualBrightness(Request& r);
void OnSetAutoBrightness(Request& r);
void OnBrightnessFilesLocal(Request& r);
void OnGetBrightness(Request& r);
void OnGetBrightnessType(Request& r);
void OnSetScreenPower(Request& r);
void OnScreenPowerLocal(Request& r);
void OnSetVolume(Request& r);
void OnSetVolumeLocal(Request& r);
void OnSetSwitchSchedule(Request& r);
void OnGetStatus(Request& r);
void OnCardCommand(Request& r);

}  // namespace led
