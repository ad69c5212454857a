#pragma once
// Board paths of the settings and marker files the application core owns.

namespace led::files {

inline constexpr const char* kStorePlace = "\\nand\\storeplace.txt";
inline constexpr const char* kLanguage = "\\nand\\Language.dat";
inline constexpr const char* kTestLogSwitch = "\\nand\\TestInfSW.txt";
inline constexpr const char* kTestConfig = "\\Storage Card 1_0\\testconfig.txt";
inline constexpr const char* kUpPoint = "\\nand\\uppoint.txt";
inline constexpr const char* kConfigShow = "\\nand\\table\\configshow.dat";
inline constexpr const char* kRemoveAll = "\\nand\\table\\removeallfile.dat";
inline constexpr const char* kRemoveAllHdd = "\\HDD\\removeallfile.dat";
inline constexpr const char* kVer = "\\nand\\ver.dat";
inline constexpr const char* kVersion = "\\nand\\version.txt";
inline constexpr const char* kMemDisp = "\\storage card 1_0\\memdisp.txt";
inline constexpr const char* kEmmcFail = "\\nand\\emmcFail.txt";
inline constexpr const char* kCurProg = "\\nand\\table\\curprog.dat";
inline constexpr const char* kSaveCurProg = "\\nand\\table\\savecurprog.dat";
inline constexpr const char* kTvAreaSize = "\\nand\\TVAreaSize.dat";
inline constexpr const char* kChannel = "\\nand\\table\\channel.dat";
inline constexpr const char* kRebootRec = "\\Storage Card\\rebootRec.txt";
inline constexpr const char* kVolume = "\\nand\\table\\volume.dat";
inline constexpr const char* kAdjVolume = "\\nand\\table\\adjvolume.dat";
inline constexpr const char* kSetSwitch = "\\nand\\table\\setswitchfile.dat";
inline constexpr const char* kPointEnable = "\\nand\\table\\pointenable.dat";
inline constexpr const char* kSetReset = "\\nand\\table\\setresetfile.dat";
inline constexpr const char* kManualBright = "\\nand\\table\\setManualbright.dat";
inline constexpr const char* kBrightType = "\\nand\\table\\brighttype.dat";
inline constexpr const char* kBrightAdj = "\\nand\\table\\brightAdj.dat";
inline constexpr const char* kAutoBright = "\\nand\\table\\autobright.dat";
inline constexpr const char* kPowerOnOff = "\\nand\\table\\poweronoff.dat";
inline constexpr const char* kRelaySchedule = "\\nand\\table\\relayschedule.dat";
inline constexpr const char* kTempCtrlSwitch = "\\nand\\tempctrlswitch.txt";
inline constexpr const char* kRecCtrlSwitch = "\\nand\\table\\recctrlswitch.dat";
inline constexpr const char* kNetInfo = "\\nand\\netinfo.txt";
inline constexpr const char* kNetInfoBackup = "\\nand\\netinfo_bk.txt";
inline constexpr const char* kPlayerTypeFile = "\\nand\\playertype.txt";
inline constexpr const char* kBspVersion = "\\nand\\bspver.dat";
inline constexpr const char* kExportPlace = "\\nand\\exproplace.txt";
inline constexpr const char* kFontMsyh = "\\nand\\font\\msyh.ttf";
inline constexpr const char* kFontSimsun = "\\nand\\font\\SIMSUN";
inline constexpr const char* kStartupProgram = "\\nand\\fexplorer.exe";

// Presence turns one worker thread off.
inline constexpr const char* kBrightThreadOff = "\\nand\\brightthread.dat";
inline constexpr const char* kVolumeThreadOff = "\\nand\\volumethread.dat";
inline constexpr const char* kPowerThreadOff = "\\nand\\powerthread.dat";
inline constexpr const char* kMiscThreadOff = "\\nand\\miscthread.dat";
inline constexpr const char* kRemoteThreadOff = "\\nand\\remotethread.dat";
inline constexpr const char* kUsbThreadOff = "\\nand\\usbthread.dat";

}  // namespace led::files
