#pragma once
// Owned POSIX sockets and the few calls the sessions need, all with time-outs.

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "client/Frame.h"

namespace ledctl {

using Millis = std::chrono::milliseconds;

class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket();
    Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Waits until readable; false on time-out.
    bool WaitReadable(Millis timeout) const;

private:
    int fd_ = -1;
};

// An IPv4 address (dotted or a host name) and port; throws CannotConnect
// when the name does not resolve.
sockaddr_in ResolveIPv4(const std::string& host, uint16_t port);
std::string AddressText(const sockaddr_in& address);

Socket TcpConnect(const std::string& host, uint16_t port, Millis timeout);
// Sends everything; throws ConnectionLost when the peer is gone or the
// socket stays full for `timeout`.
void SendAll(const Socket& socket, ByteView bytes, Millis timeout);
// One receive of at most `size` bytes: the count, 0 on time-out; throws
// ConnectionLost when the peer closed or the connection failed.
size_t ReceiveSome(const Socket& socket, uint8_t* out, size_t size, Millis timeout);

}  // namespace ledctl
