#pragma once
// One control connection (port 5002, or 5005 for text messages): frames out,
// answers in, each wait bounded by the time-out.

#include <string>

#include "client/Frame.h"
#include "client/Socket.h"

namespace ledctl {

class TcpSession {
public:
    // Connects at once; throws ClientError(CannotConnect).
    TcpSession(const std::string& host, uint16_t port, Millis timeout);

    void Send(uint8_t code, ByteView payload = {});
    void SendRaw(ByteView bytes);
    // The next answer frame, or nothing after `timeout`.
    std::optional<Frame> Receive(Millis timeout);
    // Sends and waits for the answer carrying the same code; frames of other
    // codes before it are skipped. Throws NoAnswer naming `what`.
    Frame Request(uint8_t code, ByteView payload, const std::string& what);
    // A request whose answer is the acknowledgement: the same code, no
    // payload (the padding byte of some acknowledgements is dropped).
    void RequestAck(uint8_t code, ByteView payload, const std::string& what);
    // Exactly `count` raw bytes (answers without frame end), or fewer when
    // the time-out passes first.
    Bytes ReceiveBytes(size_t count, Millis timeout);

private:
    Socket socket_;
    Millis timeout_;
    Bytes pending_;
};

}  // namespace ledctl
