#include "client/UdpExchange.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "client/Error.h"

namespace ledctl {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

UdpExchange::UdpExchange(Millis timeout)
    : socket_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)), timeout_(timeout) {
    if (!socket_.IsOpen())
        throw ClientError(ErrorKind::CannotConnect, std::string("socket: ") + std::strerror(errno));
    sockaddr_in any{};
    any.sin_family = AF_INET;
    if (::bind(socket_.Fd(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0)
        throw ClientError(ErrorKind::CannotConnect, std::string("bind: ") + std::strerror(errno));
}

void UdpExchange::SendTo(const std::string& host, uint16_t port, ByteView bytes, bool broadcast) {
    sockaddr_in to = ResolveIPv4(host, port);
    int on = broadcast ? 1 : 0;
    ::setsockopt(socket_.Fd(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (::sendto(socket_.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to) < 0)
        throw ClientError(
            ErrorKind::CannotConnect,
            "cannot send to " + host + ":" + std::to_string(port) + ": " + std::strerror(errno));
}

std::optional<Datagram> UdpExchange::Receive(Millis timeout) {
    if (!socket_.WaitReadable(timeout)) return std::nullopt;
    Bytes buffer(65536);
    sockaddr_in from{};
    socklen_t size = sizeof from;
    ssize_t n = ::recvfrom(socket_.Fd(), buffer.data(), buffer.size(), 0,
                           reinterpret_cast<sockaddr*>(&from), &size);
    if (n < 0) return std::nullopt;
    buffer.resize(size_t(n));
    return Datagram{AddressText(from), std::move(buffer)};
}

Frame UdpExchange::Request(const std::string& host, uint16_t port, uint8_t code, ByteView payload,
                           const std::string& what) {
    auto frame = EncodeFrame(code, payload);
    if (!frame) throw ClientError(ErrorKind::Unexpected, "payload too long for one command");
    std::string expected = AddressText(ResolveIPv4(host, port));
    SendTo(host, port, *frame);
    auto deadline = Clock::now() + timeout_;
    for (;;) {
        auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
        if (left.count() <= 0) break;
        auto datagram = Receive(left);
        if (!datagram) break;
        if (datagram->from != expected) continue;
        auto answer = DecodeDatagram(datagram->bytes);
        if (answer && answer->code == code) return *answer;
    }
    throw ClientError(ErrorKind::NoAnswer, "no answer to " + what + " over UDP within " +
                                               std::to_string(timeout_.count()) + " ms");
}

}  // namespace ledctl
