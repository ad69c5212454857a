#include "platform/fs/DeviceFs.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace led {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitBoardPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// A component that would step outside its directory or re-root the path.
bool IsUnsafeComponent(const std::string& c) {
    if (c == "." || c == "..") return true;
    if (c.find(':') != std::string::npos) return true;  // drive letters, "COM3:" and the like
    return c.find('\0') != std::string::npos;
}

// The existing entry of `dir` whose name equals `name` ignoring case; an exact
// match wins over a case-folded one.
std::string MatchComponent(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec)) return name;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::string candidate = entry.path().filename().string();
        if (EqualNoCase(candidate, name)) return candidate;
    }
    return name;
}

// Whether an entry is there, a link counting as itself wherever it leads.
bool IsPresent(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Whether `existing` (the deepest part of a path under `volume` that is
// present) really lies inside the volume once every link on the way is
// followed. A link that leads nowhere (dangling or looping) could be made to
// lead anywhere, so it does not count as inside.
bool StaysInVolume(const fs::path& volume, const fs::path& existing) {
    std::error_code ec;
    fs::path realVolume = fs::canonical(volume, ec);
    if (ec) return false;
    fs::path real = fs::canonical(existing, ec);
    if (ec) return false;
    auto differ = std::mismatch(realVolume.begin(), realVolume.end(), real.begin(), real.end());
    return differ.first == realVolume.end();
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

}  // namespace

const std::vector<std::string>& DeviceFs::VolumeNames() {
    static const std::vector<std::string> names = {"nand", "Storage Card", "Storage Card 1_0",
                                                   "HDD"};
    return names;
}

DeviceFs::DeviceFs(fs::path root) : root_(std::move(root)) {}

void DeviceFs::MapVolume(const std::string& volume, fs::path directory) {
    for (const auto& name : VolumeNames())
        if (EqualNoCase(name, volume)) mapped_[name] = std::move(directory);
}

fs::path DeviceFs::VolumeDirectory(const std::string& canonicalVolume) const {
    auto it = mapped_.find(canonicalVolume);
    if (it != mapped_.end()) return it->second;
    return root_ / canonicalVolume;
}

std::optional<fs::path> DeviceFs::Resolve(const std::string& boardPath) const {
    auto parts = SplitBoardPath(boardPath);
    if (parts.empty()) return std::nullopt;
    std::string volume;
    for (const auto& name : VolumeNames())
        if (EqualNoCase(name, parts[0])) volume = name;
    if (volume.empty()) return std::nullopt;
    const fs::path volumeDirectory = VolumeDirectory(volume);
    fs::path result = volumeDirectory;
    // The deepest part of the path that is present; what follows it is new
    // and, holding no "..", stays where that part really is.
    fs::path present;
    bool presentSoFar = IsPresent(result);
    if (presentSoFar) present = result;
    for (size_t i = 1; i < parts.size(); ++i) {
        if (IsUnsafeComponent(parts[i])) return std::nullopt;
        result /= MatchComponent(result, parts[i]);
        presentSoFar = presentSoFar && IsPresent(result);
        if (presentSoFar) present = result;
    }
    // Links inside a volume may alias within it, never lead out of it.
    if (!present.empty() && !StaysInVolume(volumeDirectory, present)) return std::nullopt;
    return result;
}

bool DeviceFs::VolumeExists(const std::string& boardPath) const {
    auto parts = SplitBoardPath(boardPath);
    if (parts.empty()) return false;
    auto p = Resolve(parts[0]);
    std::error_code ec;
    return p && fs::is_directory(*p, ec);
}

bool DeviceFs::Exists(const std::string& boardPath) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    return p && fs::exists(*p, ec);
}

bool DeviceFs::IsDirectory(const std::string& boardPath) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    return p && fs::is_directory(*p, ec);
}

std::optional<uint64_t> DeviceFs::FileSize(const std::string& boardPath) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    if (!p || !fs::is_regular_file(*p, ec)) return std::nullopt;
    auto size = fs::file_size(*p, ec);
    if (ec) return std::nullopt;
    return size;
}

std::optional<std::vector<uint8_t>> DeviceFs::ReadFile(const std::string& boardPath,
                                                       size_t maxBytes) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    if (!p || !fs::is_regular_file(*p, ec)) return std::nullopt;
    int fd = ::open(p->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    while (data.size() < maxBytes) {
        size_t want = std::min(sizeof buf, maxBytes - data.size());
        ssize_t n = ::read(fd, buf, want);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        data.insert(data.end(), buf, buf + n);
    }
    ::close(fd);
    return data;
}

std::optional<std::string> DeviceFs::ReadText(const std::string& boardPath, size_t maxBytes) const {
    auto bytes = ReadFile(boardPath, maxBytes);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

bool DeviceFs::WriteFile(const std::string& boardPath, const void* data, size_t size) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    if (!p || !fs::is_directory(p->parent_path(), ec) || fs::is_directory(*p, ec)) return false;
    fs::path tmp = *p;
    tmp += ".part";
    // A link in place of the temporary file is not followed: it could lead
    // out of the volume.
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool written = WriteAll(fd, static_cast<const uint8_t*>(data), size);
    if (::close(fd) != 0) written = false;
    if (!written) {
        fs::remove(tmp, ec);
        return false;
    }
    fs::rename(tmp, *p, ec);
    if (!ec) return true;
    fs::remove(tmp, ec);  // the old contents stay; the write has failed all the same
    return false;
}

bool DeviceFs::AppendFile(const std::string& boardPath, const void* data, size_t size) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    if (!p || !fs::is_directory(p->parent_path(), ec)) return false;
    // One write of the whole entry with O_APPEND: concurrent appenders never
    // interleave inside an entry.
    int fd = ::open(p->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ssize_t n = ::write(fd, data, size);
    ::close(fd);
    return n == ssize_t(size);
}

bool DeviceFs::Remove(const std::string& boardPath) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    if (!p || fs::is_directory(*p, ec)) return false;
    return fs::remove(*p, ec);
}

bool DeviceFs::RemoveTree(const std::string& boardPath) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    // The volume's own directory is never removed, only what it holds.
    if (!p || !fs::is_directory(fs::symlink_status(*p, ec))) return false;
    size_t second = boardPath.find('\\', 1);
    auto volume =
        Resolve(second == std::string::npos ? boardPath : boardPath.substr(0, second + 1));
    if (!volume || fs::equivalent(*volume, *p, ec)) return false;
    // remove_all removes a symlink itself, never what it points to.
    return fs::remove_all(*p, ec) != static_cast<std::uintmax_t>(-1) && !ec;
}

bool DeviceFs::CreateDirectory(const std::string& boardPath) const {
    auto p = Resolve(boardPath);
    std::error_code ec;
    if (!p) return false;
    if (fs::is_directory(*p, ec)) return true;
    if (!fs::is_directory(p->parent_path(), ec)) return false;
    return fs::create_directory(*p, ec);
}

bool DeviceFs::CopyFile(const std::string& from, const std::string& to) const {
    auto src = Resolve(from);
    auto dst = Resolve(to);
    std::error_code ec;
    if (!src || !dst || !fs::is_regular_file(*src, ec)) return false;
    fs::copy_file(*src, *dst, fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool DeviceFs::MoveFile(const std::string& from, const std::string& to) const {
    auto src = Resolve(from);
    auto dst = Resolve(to);
    std::error_code ec;
    if (!src || !dst || !fs::exists(*src, ec)) return false;
    fs::rename(*src, *dst, ec);
    if (!ec) return true;
    // Different volumes may live on different file systems.
    fs::copy_file(*src, *dst, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    fs::remove(*src, ec);
    return true;
}

std::vector<std::string> DeviceFs::List(const std::string& boardDirectory) const {
    std::vector<std::string> names;
    auto p = Resolve(boardDirectory);
    std::error_code ec;
    if (!p) return names;
    for (const auto& entry : fs::directory_iterator(*p, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string JoinBoardPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    std::string result = directory;
    if (result.back() != '\\') result += '\\';
    size_t start = 0;
    while (start < name.size() && name[start] == '\\') ++start;
    return result + name.substr(start);
}

bool DeviceFs::CreateVolume(const std::string& volume) const {
    std::error_code ec;
    fs::create_directories(root_, ec);
    auto dir = Resolve("\\" + volume);
    if (!dir) return false;
    fs::create_directories(*dir, ec);
    return fs::is_directory(*dir, ec);
}

std::optional<DeviceFs::Space> DeviceFs::SpaceOf(const std::string& boardPath) const {
    auto path = Resolve(boardPath);
    if (!path) return std::nullopt;
    struct statvfs v {};
    if (statvfs(path->c_str(), &v) != 0) return std::nullopt;
    return Space{uint64_t(v.f_blocks) * v.f_frsize, uint64_t(v.f_bavail) * v.f_frsize};
}

}  // namespace led
