#pragma once
// Thin POSIX socket helpers for the control ports: an owning descriptor,
// IPv4 endpoints, and sends and receives that wait with a time-out, as the
// board's WinSock helpers do. Every wait is in real milliseconds; callers on
// the player's clock convert first.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace led {

// An IPv4 address and port, host byte order.
struct Endpoint {
    uint32_t ip = 0;  // 127.0.0.1 is 0x7F000001
    uint16_t port = 0;
    std::string ToString() const;  // "127.0.0.1:5002"
    std::string Address() const;   // "127.0.0.1"
    static std::optional<uint32_t> ParseAddress(const std::string& dotted);
    bool operator==(const Endpoint&) const = default;
};

class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket();
    Socket(Socket&& other) noexcept : fd_(other.Release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    int Release();
    void Close();
    // The port the socket is bound to (0 when unknown).
    uint16_t LocalPort() const;

private:
    int fd_ = -1;
};

// A TCP socket listening on address:port (empty address: every address),
// backlog 5. Port 0 takes a free port. Sets `error` (errno text) on failure.
Socket TcpListen(const std::string& address, uint16_t port, std::string& error);
// Waits up to `timeoutMs` for a connection; an invalid socket on time-out or
// error (`peer` is left unchanged then).
Socket AcceptWithTimeout(const Socket& listener, int timeoutMs, Endpoint& peer);
// A TCP connection to host:port (dotted address or a name), or an invalid
// socket.
Socket TcpConnect(const std::string& host, uint16_t port, int timeoutMs);
// A UDP socket bound to address:port (empty address: any; port 0: a free one),
// with broadcasts allowed.
Socket UdpBind(const std::string& address, uint16_t port, std::string& error);

// Waits until writable (at most timeoutMs), then sends everything, waiting
// again while the socket's buffer is full. Returns the bytes sent, 0 on time-out,
// -1 on error.
long SendWithTimeout(const Socket& socket, std::span<const uint8_t> data, int timeoutMs);
// Waits until readable (at most timeoutMs), then receives once, at most
// buffer.size() bytes. 0 on time-out, -1 when the peer closed, -2 on a
// socket error, else the byte count.
long RecvWithTimeout(const Socket& socket, std::span<uint8_t> buffer, int timeoutMs);

// One datagram of at most buffer.size() bytes; 0 on time-out, -1 on error.
long RecvFromWithTimeout(const Socket& socket, std::span<uint8_t> buffer, int timeoutMs,
                         Endpoint& from);
bool SendTo(const Socket& socket, std::span<const uint8_t> data, const Endpoint& to);

}  // namespace led
