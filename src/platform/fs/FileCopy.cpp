#include "platform/fs/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace led {
namespace {

constexpr size_t kChunk = size_t(1) << 20;

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

CopyResult CopyFileInChunks(const std::filesystem::path& from, const std::filesystem::path& to,
                            const std::function<bool(uint64_t)>& onChunk, std::string* error) {
    auto fail = [&](const char* what, int err) {
        if (error) *error = std::string(what) + ": " + std::strerror(err);
    };
    Fd in{open(from.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st {};
    if (in.fd < 0 || fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        fail("cannot open the source", in.fd < 0 ? errno : EISDIR);
        return CopyResult::CannotOpenSource;
    }
    posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Fd out{open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (out.fd < 0) {
        fail("cannot create the copy", errno);
        return CopyResult::Failed;
    }
    auto buffer = std::make_unique<char[]>(kChunk);
    auto give_up = [&](const char* what, int err) {
        fail(what, err);
        std::error_code ec;
        std::filesystem::remove(to, ec);
        return CopyResult::Failed;
    };
    for (;;) {
        ssize_t got = read(in.fd, buffer.get(), kChunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return give_up("read", errno);
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(out.fd, buffer.get() + done, size_t(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return give_up("write", put < 0 ? errno : ENOSPC);
            done += put;
        }
        if (onChunk && !onChunk(uint64_t(got))) return give_up("copy", ECANCELED);
    }
    if (close(out.fd) != 0) {
        out.fd = -1;
        return give_up("close", errno);
    }
    out.fd = -1;
    return CopyResult::Copied;
}

}  // namespace led
