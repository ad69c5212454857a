#include "platform/net/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace led {
namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.ip);
    a.sin_port = htons(e.port);
    return a;
}

Endpoint FromSockaddr(const sockaddr_in& a) {
    return {ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

// 1 ready, 0 time-out, -1 error; retries on EINTR.
int WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int r = poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return r;
        return 1;  // readable, writable, hang-up or error: the next call tells
    }
}

bool BindTo(int fd, const std::string& address, uint16_t port, std::string& error) {
    Endpoint e{INADDR_ANY, port};
    if (!address.empty()) {
        auto ip = Endpoint::ParseAddress(address);
        if (!ip) {
            error = "bad address \"" + address + "\"";
            return false;
        }
        e.ip = *ip;
    }
    sockaddr_in a = ToSockaddr(e);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        error = std::string("bind failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

std::string Endpoint::Address() const {
    return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
           std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
}

std::string Endpoint::ToString() const { return Address() + ":" + std::to_string(port); }

std::optional<uint32_t> Endpoint::ParseAddress(const std::string& dotted) {
    in_addr a{};
    if (inet_pton(AF_INET, dotted.c_str(), &a) != 1) return std::nullopt;
    return ntohl(a.s_addr);
}

Socket::~Socket() { Close(); }

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

int Socket::Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void Socket::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

uint16_t Socket::LocalPort() const {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) != 0) return 0;
    return ntohs(a.sin_port);
}

Socket TcpListen(const std::string& address, uint16_t port, std::string& error) {
    Socket s(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s.IsOpen()) {
        error = std::string("socket failed: ") + std::strerror(errno);
        return {};
    }
    int on = 1;
    setsockopt(s.Fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (!BindTo(s.Fd(), address, port, error)) return {};
    if (listen(s.Fd(), 5) != 0) {
        error = std::string("listen failed: ") + std::strerror(errno);
        return {};
    }
    return s;
}

Socket AcceptWithTimeout(const Socket& listener, int timeoutMs, Endpoint& peer) {
    if (WaitFor(listener.Fd(), POLLIN, timeoutMs) <= 0) return {};
    sockaddr_in a{};
    socklen_t n = sizeof a;
    Socket s(accept4(listener.Fd(), reinterpret_cast<sockaddr*>(&a), &n, SOCK_CLOEXEC));
    if (s.IsOpen()) {
        peer = FromSockaddr(a);
        int on = 1;  // replies are small and answer a request: send them at once
        setsockopt(s.Fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return s;
}

Socket TcpConnect(const std::string& host, uint16_t port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    sockaddr_in a = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    a.sin_port = htons(port);
    Socket s(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.IsOpen()) return {};
    if (connect(s.Fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (errno != EINPROGRESS || WaitFor(s.Fd(), POLLOUT, timeoutMs) <= 0) return {};
        int err = 0;
        socklen_t n = sizeof err;
        if (getsockopt(s.Fd(), SOL_SOCKET, SO_ERROR, &err, &n) != 0 || err != 0) return {};
    }
    fcntl(s.Fd(), F_SETFL, fcntl(s.Fd(), F_GETFL) & ~O_NONBLOCK);
    int on = 1;
    setsockopt(s.Fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return s;
}

Socket UdpBind(const std::string& address, uint16_t port, std::string& error) {
    Socket s(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!s.IsOpen()) {
        error = std::string("socket failed: ") + std::strerror(errno);
        return {};
    }
    int on = 1;
    setsockopt(s.Fd(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (!BindTo(s.Fd(), address, port, error)) return {};
    return s;
}

long SendWithTimeout(const Socket& socket, std::span<const uint8_t> data, int timeoutMs) {
    size_t sent = 0;
    while (sent < data.size()) {
        int ready = WaitFor(socket.Fd(), POLLOUT, timeoutMs);
        if (ready <= 0) return ready;
        ssize_t n = send(socket.Fd(), data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return -1;
        }
        sent += size_t(n);
    }
    return long(sent);
}

long RecvWithTimeout(const Socket& socket, std::span<uint8_t> buffer, int timeoutMs) {
    if (buffer.empty()) return -1;
    int ready = WaitFor(socket.Fd(), POLLIN, timeoutMs);
    if (ready < 0) return -2;
    if (ready == 0) return 0;
    for (;;) {
        ssize_t n = recv(socket.Fd(), buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return -1;  // the peer closed
        if (n < 0) return -2;
        return long(n);
    }
}

long RecvFromWithTimeout(const Socket& socket, std::span<uint8_t> buffer, int timeoutMs,
                         Endpoint& from) {
    int ready = WaitFor(socket.Fd(), POLLIN, timeoutMs);
    if (ready <= 0) return ready;
    sockaddr_in a{};
    socklen_t n = sizeof a;
    ssize_t got = recvfrom(socket.Fd(), buffer.data(), buffer.size(), MSG_TRUNC,
                           reinterpret_cast<sockaddr*>(&a), &n);
    if (got < 0) return errno == EINTR ? 0 : -1;
    from = FromSockaddr(a);
    // A datagram larger than the buffer was cut: report what the buffer holds.
    return long(std::min<size_t>(size_t(got), buffer.size()));
}

bool SendTo(const Socket& socket, std::span<const uint8_t> data, const Endpoint& to) {
    sockaddr_in a = ToSockaddr(to);
    return sendto(socket.Fd(), data.data(), data.size(), MSG_NOSIGNAL,
                  reinterpret_cast<sockaddr*>(&a), sizeof a) == ssize_t(data.size());
}

}  // namespace led
