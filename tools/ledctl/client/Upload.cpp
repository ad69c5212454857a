#include "client/Upload.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "client/Error.h"
#include "client/TcpSession.h"

namespace ledctl {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxName = 259;

FileResult SendOne(TcpSession& session, const fs::path& path, const TransferCodes& codes,
                   const UploadOptions& options) {
    FileResult result;
    result.name = path.filename().string();
    result.size = fs::file_size(path);
    if (result.size > UINT32_MAX)
        throw ClientError(ErrorKind::Unexpected, result.name + " is larger than 4 GiB");

    Manifest manifest{result.name, result.size, false, codes.type};
    Decision decision{NextStep::Overwrite};
    while (decision.step == NextStep::Overwrite) {
        std::string what = "the manifest of " + result.name;
        std::string xml = BuildManifest(manifest);
        Frame answer = session.Request(codes.manifest, Bytes(xml.begin(), xml.end()), what);
        auto parsed =
            ParseManifestAnswer(std::string(answer.payload.begin(), answer.payload.end()));
        if (!parsed)
            throw ClientError(ErrorKind::Unexpected,
                              "the answer to " + what + " is not a manifest");
        decision = Decide(*parsed, result.size, manifest.overwrite);
        manifest.overwrite = true;
    }
    switch (decision.step) {
        case NextStep::NoSpace:
            throw ClientError(ErrorKind::Unexpected, "the player has no room for " + result.name);
        case NextStep::StorageProblem:
            throw ClientError(ErrorKind::Unexpected,
                              "the player refused " + result.name +
                                  " (its storage cannot be checked, or the name is not taken)");
        case NextStep::Skip:
            result.skipped = true;
            result.from = result.size;
            if (options.progress) options.progress(result.name, result.size, result.size);
            return result;
        default: break;
    }

    result.from = decision.offset;
    uint64_t remaining = result.size - decision.offset;
    if (remaining == 0) return result;  // an empty file: the player takes no data for it
    std::ifstream in(path, std::ios::binary);
    in.seekg(std::streamoff(decision.offset));
    if (!in) throw ClientError(ErrorKind::Unexpected, "cannot read " + path.string());

    session.SendRaw(EncodeHead(codes.data, uint32_t(remaining)));
    std::vector<uint8_t> chunk(64 * 1024);
    while (remaining > 0) {
        size_t want = size_t(std::min<uint64_t>(chunk.size(), remaining));
        in.read(reinterpret_cast<char*>(chunk.data()), std::streamsize(want));
        if (size_t(in.gcount()) != want)
            throw ClientError(ErrorKind::Unexpected, path.string() + " changed while sending");
        session.SendRaw({chunk.data(), want});
        remaining -= want;
        result.sent += want;
        if (options.progress) options.progress(result.name, result.from + result.sent, result.size);
    }
    session.SendRaw(kFrameEnd);
    return result;
}

}  // namespace

std::vector<fs::path> ProgramFiles(const fs::path& directory) {
    if (!fs::is_directory(directory))
        throw std::invalid_argument(directory.string() + " is not a directory");
    std::vector<fs::path> files;
    fs::path playlist;
    for (const auto& entry : fs::directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        std::string name = entry.path().filename().string();
        if (name.size() > kMaxName)
            throw std::invalid_argument(name + ": names of more than 259 bytes do not fit");
        if (name == "playlist.xml")
            playlist = entry.path();
        else
            files.push_back(entry.path());
    }
    if (playlist.empty()) throw std::invalid_argument(directory.string() + " has no playlist.xml");
    std::sort(files.begin(), files.end());
    files.push_back(playlist);
    return files;
}

std::vector<FileResult> Uploader::Send(const std::vector<fs::path>& files,
                                       const TransferCodes& codes, std::optional<int> completeCode,
                                       const Bytes& completePayload) {
    // File data is not acknowledged: a file is known to have arrived only
    // when the player answers the next request. So after a dropped
    // connection every file is announced again; those it has whole are
    // skipped, the broken one goes on from the bytes the player kept.
    std::vector<FileResult> results(files.size());
    for (;;) {
        try {
            TcpSession session(options_.host, options_.port, options_.timeout);
            for (size_t i = 0; i < files.size(); ++i) {
                FileResult r = SendOne(session, files[i], codes, options_);
                // Sent on an earlier connection of this upload: keep that account.
                if (!(r.skipped && results[i].sent > 0)) results[i] = r;
            }
            if (completeCode)
                session.RequestAck(uint8_t(*completeCode), completePayload,
                                   "the completion (" + std::to_string(*completeCode) + ")");
            return results;
        } catch (const ClientError& e) {
            if (e.Kind() != ErrorKind::ConnectionLost || reconnectsUsed_ >= options_.reconnects)
                throw;
            ++reconnectsUsed_;
            // The player's old session may still be writing what it received.
            std::this_thread::sleep_for(options_.reconnectDelay);
        }
    }
}

}  // namespace ledctl
