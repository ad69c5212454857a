#include "client/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "client/Error.h"

namespace ledctl {
namespace {

bool WaitFor(int fd, short events, Millis timeout) {
    pollfd p{fd, events, 0};
    for (;;) {
        int n = ::poll(&p, 1, int(timeout.count()));
        if (n < 0 && errno == EINTR) continue;
        return n > 0;
    }
}

}  // namespace

Socket::~Socket() {
    if (fd_ >= 0) ::close(fd_);
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool Socket::WaitReadable(Millis timeout) const { return WaitFor(fd_, POLLIN, timeout); }

sockaddr_in ResolveIPv4(const std::string& host, uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1) return address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        throw ClientError(ErrorKind::CannotConnect, "cannot resolve host \"" + host + "\"");
    address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return address;
}

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

Socket TcpConnect(const std::string& host, uint16_t port, Millis timeout) {
    sockaddr_in address = ResolveIPv4(host, port);
    std::string where = host + ":" + std::to_string(port);
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.IsOpen())
        throw ClientError(ErrorKind::CannotConnect, std::string("socket: ") + std::strerror(errno));
    int rc = ::connect(socket.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (rc != 0 && errno != EINPROGRESS)
        throw ClientError(ErrorKind::CannotConnect,
                          "cannot connect to " + where + ": " + std::strerror(errno));
    if (rc != 0) {
        if (!WaitFor(socket.Fd(), POLLOUT, timeout))
            throw ClientError(ErrorKind::CannotConnect, "no connection to " + where + " in time");
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(socket.Fd(), SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0)
            throw ClientError(ErrorKind::CannotConnect,
                              "cannot connect to " + where + ": " + std::strerror(error));
    }
    return socket;
}

void SendAll(const Socket& socket, ByteView bytes, Millis timeout) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!WaitFor(socket.Fd(), POLLOUT, timeout))
            throw ClientError(ErrorKind::ConnectionLost, "the player stopped taking data");
        ssize_t n = ::send(socket.Fd(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0)
            throw ClientError(ErrorKind::ConnectionLost,
                              std::string("connection lost: ") + std::strerror(errno));
        sent += size_t(n);
    }
}

size_t ReceiveSome(const Socket& socket, uint8_t* out, size_t size, Millis timeout) {
    if (!socket.WaitReadable(timeout)) return 0;
    for (;;) {
        ssize_t n = ::recv(socket.Fd(), out, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            if (!socket.WaitReadable(timeout)) return 0;
            continue;
        }
        if (n == 0)
            throw ClientError(ErrorKind::ConnectionLost, "the player closed the connection");
        if (n < 0)
            throw ClientError(ErrorKind::ConnectionLost,
                              std::string("connection lost: ") + std::strerror(errno));
        return size_t(n);
    }
}

}  // namespace ledctl
