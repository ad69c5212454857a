#pragma once
// A PC-tool stand-in for system tests: raw TCP and UDP sockets and frames built
// here byte by byte, independent of the player's own frame code, so a fault
// there cannot hide itself.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace led::test {

using Bytes = std::vector<uint8_t>;

// "*#", code, 32-bit little-endian length, payload, "#*".
Bytes Frame(uint8_t code, const Bytes& payload = {});
Bytes FrameWithLength(uint8_t code, uint32_t lengthField, const Bytes& payload = {});
// The first seven bytes alone: "*#", code, the length field.
Bytes FrameHead(uint8_t code, uint32_t lengthField);
Bytes Text(const std::string& s);

class TcpClient {
public:
    explicit TcpClient(int port);  // connects to 127.0.0.1
    static std::unique_ptr<TcpClient> Adopt(int fd);
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;
    bool Connected() const { return fd_ >= 0; }
    bool Send(const Bytes& bytes);
    // Reads until `count` bytes arrived or `timeout` passed.
    Bytes Receive(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // True when the player closed the connection within `timeout`.
    bool ClosedWithin(std::chrono::milliseconds timeout);

private:
    TcpClient() = default;
    int fd_ = -1;
};

// A management server stand-in on 127.0.0.1 for the player's outgoing link.
// Its sockets are close-on-exec: a player started later must not inherit the
// listener and keep taking connections after Close.
class TcpServer {
public:
    TcpServer();
    ~TcpServer();
    int Port() const { return port_; }
    // The next connection, or none within `timeout`.
    std::unique_ptr<TcpClient> Accept(std::chrono::milliseconds timeout);
    void Close();  // later connects are refused

private:
    int fd_ = -1, port_ = 0;
};

class UdpClient {
public:
    // Bound to `bindAddress` (0.0.0.0 receives the discovery broadcast too).
    explicit UdpClient(const std::string& bindAddress = "127.0.0.1");
    ~UdpClient();
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;
    bool SendTo(const Bytes& bytes, int port, const std::string& address = "127.0.0.1");
    // One datagram, or empty after `timeout`; `from` gets the sender's address.
    Bytes Receive(std::chrono::milliseconds timeout, std::string* toAddress = nullptr);

private:
    int fd_ = -1;
};

// The real player running in the background on a device root, with free
// control ports on loopback. Ended with SIGTERM by the destructor.
class LivePlayer {
public:
    LivePlayer(const std::filesystem::path& root, const std::vector<std::string>& args);
    ~LivePlayer();
    LivePlayer(const LivePlayer&) = delete;
    LivePlayer& operator=(const LivePlayer&) = delete;
    // The port of the "listening" event of "tcp" or "udp"; 0 when none came.
    int Port(const std::string& transport);
    // The events of one name logged so far.
    std::vector<nlohmann::json> Events(const std::string& name) const;
    // Waits until an event of `name` whose fields include `fields` is logged.
    bool WaitForEvent(const std::string& name, const nlohmann::json& fields,
                      std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
    std::string Output() const;

private:
    std::filesystem::path events_, output_;
    int pid_ = -1;
};

}  // namespace led::test
