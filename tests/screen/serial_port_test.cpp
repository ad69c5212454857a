#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/serial/SerialPort.h"

namespace led {
namespace {

// The far end of a pseudo-terminal, played by the test.
struct PtyPair {
    PtyPair() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
    }
    ~PtyPair() {
        if (master >= 0) close(master);
    }
    std::string ReadAll() {
        std::string s;
        char b[256];
        usleep(20000);
        fcntl(master, F_SETFL, O_NONBLOCK);
        for (ssize_t n; (n = read(master, b, sizeof b)) > 0;) s.append(b, size_t(n));
        return s;
    }
    int master = -1;
    std::string path;
};

TEST(SerialPortTest, OpensByBoardNameAtAnySpeedAndPassesBytesUnchanged) {
    PtyPair pty;
    SerialPort port({{"COM3:", pty.path}});
    ASSERT_TRUE(port.Open(3, 576000, SerialPort::kNoParity, 8, SerialPort::kOneStopBit, 0));
    EXPECT_EQ(port.Name(), "COM3:");
    EXPECT_EQ(port.Baud(), 576000);
    port.SetReadTimeout(2);
    // Raw line: no CR/LF translation, no XON/XOFF, no echo.
    const std::string binary("\x00\x11\x13\r\n\x7f\xff*#", 9);
    EXPECT_EQ(port.Write(binary), binary.size());
    EXPECT_EQ(pty.ReadAll(), binary);
    ASSERT_EQ(write(pty.master, binary.data(), binary.size()), ssize_t(binary.size()));
    usleep(10000);
    uint8_t buffer[64] = {};
    ASSERT_EQ(port.Read(buffer, sizeof buffer), binary.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), binary.size()), binary);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);  // silence
    // Reading stops at the buffer's size and leaves the rest queued.
    ASSERT_EQ(write(pty.master, "abcdef", 6), 6);
    usleep(10000);
    EXPECT_EQ(port.Read(buffer, 4), 4u);
    EXPECT_EQ(port.Read(buffer, 4), 2u);
    // A purged receive queue holds nothing.
    ASSERT_EQ(write(pty.master, "xyz", 3), 3);
    usleep(10000);
    port.PurgeRx();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
}

TEST(SerialPortTest, ClosedPortsDoNothingAndReportFailure) {
    PtyPair pty;
    SerialPort port({{"COM3:", pty.path}, {"COM4:", ""}});
    uint8_t b[4];
    EXPECT_FALSE(port.Open(0, 115200, 0, 8, 0, 0));
    EXPECT_FALSE(port.Open(256, 115200, 0, 8, 0, 0));
    EXPECT_FALSE(port.Open(4, 115200, 0, 8, 0, 0));  // no device configured
    EXPECT_FALSE(port.Open(5, 115200, 0, 8, 0, 0));  // unknown name
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write("x"), 0u);
    EXPECT_EQ(port.Read(b, 4), 0u);
    port.PurgeAll();
    // Open, close, and open again (another process may take it in between).
    ASSERT_TRUE(port.Open(3, 9600, 0, 8, 0, 0));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write("x"), 0u);
    EXPECT_TRUE(port.Open(3, 115200, 0, 8, 0, 0));
}

// Holds for root too: the player runs as root on the board and in CI.
TEST(SerialPortTest, IsNotSharedWhileOpen) {
    PtyPair pty;
    SerialPort first({{"COM3:", pty.path}}), second({{"COM3:", pty.path}});
    ASSERT_TRUE(first.Open(3, 115200, 0, 8, 0, 0));
    EXPECT_FALSE(second.Open(3, 115200, 0, 8, 0, 0));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(first.IsOpen()) << "the refused open leaves the owner's port alone";
    first.Close();
    EXPECT_TRUE(second.Open(3, 115200, 0, 8, 0, 0));
    EXPECT_FALSE(first.Open(3, 115200, 0, 8, 0, 0));
}

// A card that answers its command a byte at a time, 1 ms apart: the line is
// slow or the card busy, and the answer is still on the wire when the read
// starts. The read waits for the first byte and then for silence.
TEST(SerialPortTest, AReadWaitsForAnAnswerThatTricklesIn) {
    PtyPair pty;
    SerialPort port({{"COM3:", pty.path}});
    ASSERT_TRUE(port.Open(3, 115200, 0, 8, 0, 0));
    // Generous: a shared machine may pause the card for a while.
    port.SetReadTimeout(500);
    const std::string command = "*#WL C800 0202 0bf447#*";
    const std::string ack = "%#WL#%";
    std::string received;
    std::thread card([&] {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        char b[64];
        while (received.size() < command.size() && std::chrono::steady_clock::now() < deadline) {
            pollfd p{pty.master, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            ssize_t n = read(pty.master, b, sizeof b);
            if (n <= 0) break;
            received.append(b, size_t(n));
        }
        for (char c : ack) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (write(pty.master, &c, 1) != 1) break;
        }
    });
    EXPECT_EQ(port.Write(command), command.size());
    uint8_t buffer[100] = {};
    size_t n = port.Read(buffer, sizeof buffer);
    card.join();
    EXPECT_EQ(received, command);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), n), ack);
}

TEST(SerialPortTest, AHungUpLineEndsReadsAndWrites) {
    auto pty = std::make_unique<PtyPair>();
    SerialPort port({{"COM3:", pty->path}});
    ASSERT_TRUE(port.Open(3, 115200, 0, 8, 0, 0));
    pty.reset();
    uint8_t b[16];
    EXPECT_EQ(port.Read(b, sizeof b), 0u);
    EXPECT_EQ(port.Write("*#RL d#*"), 0u);
}

}  // namespace
}  // namespace led
