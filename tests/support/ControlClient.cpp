#include "support/ControlClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "support/PlayerProcess.h"

namespace led::test {
namespace {

sockaddr_in Loopback(int port, const std::string& address = "127.0.0.1") {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

bool Readable(int fd, std::chrono::milliseconds timeout) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, int(timeout.count())) > 0;
}

}  // namespace

Bytes FrameHead(uint8_t code, uint32_t lengthField) {
    return {'*',
            '#',
            code,
            uint8_t(lengthField),
            uint8_t(lengthField >> 8),
            uint8_t(lengthField >> 16),
            uint8_t(lengthField >> 24)};
}

Bytes FrameWithLength(uint8_t code, uint32_t lengthField, const Bytes& payload) {
    Bytes f = FrameHead(code, lengthField);
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back('#');
    f.push_back('*');
    return f;
}

Bytes Frame(uint8_t code, const Bytes& payload) {
    return FrameWithLength(code, uint32_t(payload.size()), payload);
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TcpClient::TcpClient(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(port);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

std::unique_ptr<TcpClient> TcpClient::Adopt(int fd) {
    std::unique_ptr<TcpClient> c(new TcpClient());
    c->fd_ = fd;
    return c;
}

TcpServer::TcpServer() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(0);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd_, 5);
    socklen_t n = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = ntohs(a.sin_port);
}

TcpServer::~TcpServer() { Close(); }

void TcpServer::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

std::unique_ptr<TcpClient> TcpServer::Accept(std::chrono::milliseconds timeout) {
    if (fd_ < 0 || !Readable(fd_, timeout)) return nullptr;
    int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? nullptr : TcpClient::Adopt(fd);
}

TcpClient::~TcpClient() {
    if (fd_ >= 0) close(fd_);
}

bool TcpClient::Send(const Bytes& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

Bytes TcpClient::Receive(size_t count, std::chrono::milliseconds timeout) {
    Bytes out;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !Readable(fd_, left)) break;
        uint8_t buffer[4096];
        ssize_t n = recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

bool TcpClient::ClosedWithin(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!Readable(fd_, std::chrono::milliseconds(100))) continue;
        uint8_t b;
        ssize_t n = recv(fd_, &b, 1, 0);
        if (n <= 0) return true;
    }
    return false;
}

UdpClient::UdpClient(const std::string& bindAddress) {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in a = Loopback(0, bindAddress);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
}

UdpClient::~UdpClient() {
    if (fd_ >= 0) close(fd_);
}

bool UdpClient::SendTo(const Bytes& bytes, int port, const std::string& address) {
    sockaddr_in a = Loopback(port, address);
    return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a) ==
           ssize_t(bytes.size());
}

Bytes UdpClient::Receive(std::chrono::milliseconds timeout, std::string* toAddress) {
    if (!Readable(fd_, timeout)) return {};
    uint8_t buffer[65536];
    // The destination address shows whether the answer was a broadcast.
    char control[256];
    iovec io{buffer, sizeof buffer};
    msghdr m{};
    m.msg_iov = &io;
    m.msg_iovlen = 1;
    m.msg_control = control;
    m.msg_controllen = sizeof control;
    ssize_t n = recvmsg(fd_, &m, 0);
    if (n < 0) return {};
    if (toAddress) {
        toAddress->clear();
        for (cmsghdr* c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c))
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                auto* info = reinterpret_cast<in_pktinfo*>(CMSG_DATA(c));
                char text[INET_ADDRSTRLEN];
                inet_ntop(AF_INET, &info->ipi_addr, text, sizeof text);
                *toAddress = text;
            }
    }
    return Bytes(buffer, buffer + n);
}

LivePlayer::LivePlayer(const std::filesystem::path& root, const std::vector<std::string>& args)
    : events_(EventsPathOf(root)),
      output_(OutputPathOf(root)),
      pid_(SpawnPlayer(root, args, "info")) {}

LivePlayer::~LivePlayer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::vector<nlohmann::json> LivePlayer::Events(const std::string& name) const {
    std::vector<nlohmann::json> out;
    std::ifstream in(events_);
    std::string line;
    while (std::getline(in, line)) {
        auto e = nlohmann::json::parse(line, nullptr, false);
        if (!e.is_discarded() && e.value("event", "") == name) out.push_back(e);
    }
    return out;
}

bool LivePlayer::WaitForEvent(const std::string& name, const nlohmann::json& fields,
                              std::chrono::milliseconds timeout) const {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        for (const auto& e : Events(name)) {
            bool all = true;
            for (auto it = fields.begin(); it != fields.end(); ++it)
                all = all && e.contains(it.key()) && e[it.key()] == it.value();
            if (all) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

int LivePlayer::Port(const std::string& transport) {
    if (!WaitForEvent("listening", {{"transport", transport}})) return 0;
    for (const auto& e : Events("listening"))
        if (e.value("transport", "") == transport) return e.value("port", 0);
    return 0;
}

std::string LivePlayer::Output() const {
    std::ifstream in(output_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace led::test
