#pragma once
// The PC tool's side of a file transfer, for system tests: announce a file
// with its manifest, read the answer, send the missing bytes, complete.
// Built on the test client's own frames, not on the player's code.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "support/ControlClient.h"

namespace led::test {

// A manifest as the tool writes it.
std::string ManifestXml(const std::string& name, uint64_t length, int overwrite = 0, int type = -1);

struct TransferAnswer {
    int64_t filelen = -1;
    int ifok = -1;
    std::string xml;
};

// Sends the manifest with `code` and reads the answer (none within 10 s).
std::optional<TransferAnswer> Announce(TcpClient& tool, uint8_t code, const std::string& xml);

// Sends the data frame for `content` from byte `from` on: the head, the bytes
// and the end marker. With `stopAfter`, only that many bytes of the body go out.
bool SendFileData(TcpClient& tool, uint8_t code, const Bytes& content, uint64_t from,
                  uint64_t stopAfter = UINT64_MAX);

// Announce and, unless the answer says the file is complete, the data.
std::optional<TransferAnswer> UploadFile(TcpClient& tool, const std::string& name,
                                         const Bytes& content, uint8_t announceCode = 8,
                                         uint8_t dataCode = 9);

// Every file of `directory` (the playlist last), then the complete command;
// false when an announce was not answered or the complete not acknowledged.
bool UploadProgramDirectory(TcpClient& tool, const std::filesystem::path& directory,
                            uint8_t completeCode = 13);

Bytes ReadHostBytes(const std::filesystem::path& path);

}  // namespace led::test
