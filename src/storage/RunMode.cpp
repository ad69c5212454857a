#include "storage/RunMode.h"

#include "platform/fs/DeviceFs.h"
#include "storage/Files.h"

namespace led {

RunMode DecideRunMode(const DeviceFs& fs) {
    auto bytes = fs.ReadFile(files::kStorePlace, 2);
    if (!bytes || bytes->empty()) return RunMode::Flash;
    if ((*bytes)[0] == 0) {
        fs.Remove(files::kStorePlace);
        return RunMode::Flash;
    }
    return RunMode::SdCard;
}

void CreateStandardDirectories(const DeviceFs& fs, const StoragePaths& paths) {
    const std::string dirs[] = {paths.video,
                                paths.videotemp,
                                paths.xml,
                                "\\nand\\table",
                                "\\NAND\\upfiles\\",
                                "\\nand\\tabletemp",
                                "\\nand\\table\\statisticalnoise\\",
                                "\\nand\\table\\statisticalnoisetemp\\",
                                "\\Storage Card\\osd"};
    for (const auto& d : dirs) fs.CreateDirectory(d);
}

const char* RunModeScreenName(RunMode mode, bool chinese) {
    if (mode == RunMode::Flash) return chinese ? "存储模式:Flash" : "RUN MODE:Flash";
    return chinese ? "存储模式:SD卡" : "RUN MODE:SD CARD";
}

}  // namespace led
