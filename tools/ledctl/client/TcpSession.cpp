#include "client/TcpSession.h"

#include "client/Error.h"

namespace ledctl {
namespace {

using Clock = std::chrono::steady_clock;

Millis Left(Clock::time_point deadline) {
    return std::max(Millis(0), std::chrono::duration_cast<Millis>(deadline - Clock::now()));
}

}  // namespace

TcpSession::TcpSession(const std::string& host, uint16_t port, Millis timeout)
    : socket_(TcpConnect(host, port, timeout)), timeout_(timeout) {}

void TcpSession::Send(uint8_t code, ByteView payload) {
    auto frame = EncodeFrame(code, payload);
    if (!frame)
        throw ClientError(ErrorKind::Unexpected, "payload of " + std::to_string(payload.size()) +
                                                     " bytes: at most 4096 fit in one command");
    SendRaw(*frame);
}

void TcpSession::SendRaw(ByteView bytes) { SendAll(socket_, bytes, timeout_); }

std::optional<Frame> TcpSession::Receive(Millis timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto frame = ExtractFrame(pending_)) return frame;
        uint8_t chunk[4096];
        size_t n = ReceiveSome(socket_, chunk, sizeof chunk, Left(deadline));
        if (n == 0) return std::nullopt;
        pending_.insert(pending_.end(), chunk, chunk + n);
    }
}

Frame TcpSession::Request(uint8_t code, ByteView payload, const std::string& what) {
    Send(code, payload);
    auto deadline = Clock::now() + timeout_;
    while (auto frame = Receive(Left(deadline))) {
        if (frame->code == code) return *frame;
    }
    throw ClientError(ErrorKind::NoAnswer, "no answer to " + what + " within " +
                                               std::to_string(timeout_.count()) + " ms");
}

void TcpSession::RequestAck(uint8_t code, ByteView payload, const std::string& what) {
    Frame answer = Request(code, payload, what);
    if (!answer.payload.empty())
        throw ClientError(ErrorKind::Unexpected, what + " was answered with " +
                                                     std::to_string(answer.payload.size()) +
                                                     " bytes instead of the acknowledgement");
}

Bytes TcpSession::ReceiveBytes(size_t count, Millis timeout) {
    auto deadline = Clock::now() + timeout;
    Bytes out;
    size_t take = std::min(count, pending_.size());
    out.assign(pending_.begin(), pending_.begin() + take);
    pending_.erase(pending_.begin(), pending_.begin() + take);
    while (out.size() < count) {
        uint8_t chunk[65536];
        size_t n =
            ReceiveSome(socket_, chunk, std::min(sizeof chunk, count - out.size()), Left(deadline));
        if (n == 0) break;
        out.insert(out.end(), chunk, chunk + n);
    }
    return out;
}

}  // namespace ledctl
