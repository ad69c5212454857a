#include "platform/serial/SerialPort.h"

// termios2 (<asm/termbits.h>) carries any baud rate through BOTHER; it cannot be
// mixed with glibc's <termios.h>, so everything here goes through the kernel's
// structure and ioctls.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace led {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Waits for `events` on fd until the deadline; false on time-out or error.
// Sub-millisecond precision matters: the read time-out is 2 ms.
bool WaitFor(int fd, short events, SteadyClock::time_point deadline, short& revents) {
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0) return false;
        timespec ts{time_t(left.count() / 1000000000), long(left.count() % 1000000000)};
        pollfd p{fd, events, 0};
        int r = ::ppoll(&p, 1, &ts, nullptr);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        revents = p.revents;
        return true;
    }
}

void MakeRaw(termios2& t) {
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                           IXOFF | IXANY | INPCK);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CLOCAL | CREAD;
    // Reads never block in the kernel: time-outs are ours (poll).
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

void SetBaud(termios2& t, int baud) {
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_t(baud);
    t.c_ospeed = speed_t(baud);
}

void SetParity(termios2& t, int parity) {
    const tcflag_t all = PARENB | PARODD | CMSPAR;
    tcflag_t bits;
    switch (parity) {
        case SerialPort::kNoParity: bits = 0; break;
        case SerialPort::kOddParity: bits = PARENB | PARODD; break;
        case SerialPort::kEvenParity: bits = PARENB; break;
        case SerialPort::kMarkParity: bits = PARENB | PARODD | CMSPAR; break;
        case SerialPort::kSpaceParity: bits = PARENB | CMSPAR; break;
        default: return;  // the device's parity stays
    }
    t.c_cflag = (t.c_cflag & ~all) | bits;
}

bool SetDataBits(termios2& t, int dataBits) {
    tcflag_t size;
    switch (dataBits) {
        case 5: size = CS5; break;
        case 6: size = CS6; break;
        case 7: size = CS7; break;
        case 8: size = CS8; break;
        default: return false;
    }
    t.c_cflag = (t.c_cflag & ~tcflag_t(CSIZE)) | size;
    return true;
}

void SetStopBits(termios2& t, int stopBits) {
    switch (stopBits) {
        case SerialPort::kOneStopBit: t.c_cflag &= ~tcflag_t(CSTOPB); break;
        // Linux has no one-and-a-half; the UART sends 1.5 for 5-bit words under CSTOPB.
        case SerialPort::kOneAndHalfStopBits:
        case SerialPort::kTwoStopBits: t.c_cflag |= CSTOPB; break;
        default: break;
    }
}

void SetFlowMode(termios2& t, int flowMode) {
    t.c_cflag &= ~tcflag_t(CRTSCTS);
    t.c_iflag &= ~tcflag_t(IXON | IXOFF);
    switch (flowMode) {
        case SerialPort::kNoHandshake: break;
        // Linux ties hardware handshake to RTS/CTS; DTR/DSR variants use it too.
        case SerialPort::kRtsCts:
        case SerialPort::kDtrCts:
        case SerialPort::kRtsDsr:
        case SerialPort::kDtrDsr: t.c_cflag |= CRTSCTS; break;
        case SerialPort::kXonXoff:
            t.c_iflag |= IXON | IXOFF;
            t.c_cc[VSTART] = 0x11;
            t.c_cc[VSTOP] = 0x13;
            break;
        default: break;
    }
}

}  // namespace

SerialPort::SerialPort(DeviceMap devices) : devices_(std::move(devices)) {}

SerialPort::~SerialPort() { Close(); }

std::string SerialPort::Name() const {
    std::lock_guard lock(nameMutex_);
    return name_;
}

bool SerialPort::Open(int port, int baud, int parity, int dataBits, int stopBits, int flowMode) {
    if (port < 1 || port > 255 || baud <= 0) return false;
    Close();
    char name[16];
    std::snprintf(name, sizeof name, "COM%d:", port);
    {
        std::lock_guard lock(nameMutex_);
        name_ = name;
    }
    auto device = devices_.find(name);
    if (device == devices_.end() || device->second.empty()) return false;

    int fd = ::open(device->second.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Not shared: TIOCEXCL turns away other openers but not root, which the
    // player runs as; the lock turns away every other port object on this
    // device, in this process or another. Closing the descriptor releases it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    termios2 t{};
    if (::ioctl(fd, TIOCEXCL) != 0 || ::ioctl(fd, TCGETS2, &t) != 0) {
        ::close(fd);
        return false;
    }
    MakeRaw(t);
    SetBaud(t, baud);
    SetParity(t, parity);
    SetStopBits(t, stopBits);
    SetFlowMode(t, flowMode);
    if (!SetDataBits(t, dataBits) || ::ioctl(fd, TCSETS2, &t) != 0) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    }
    readTimeoutMs_ = 1000;
    baud_ = baud;
    fd_ = fd;
    return true;
}

void SerialPort::SetQueueSizes(size_t, size_t) {}

void SerialPort::SetReadTimeout(int milliseconds) {
    readTimeoutMs_ = milliseconds < 0 ? 0 : milliseconds;
}

size_t SerialPort::Read(uint8_t* buffer, size_t size) {
    int fd = fd_.load();
    if (fd < 0 || size == 0) return 0;
    // With VMIN = VTIME = 0 a read() of a quiet line returns 0 at once, so the
    // waiting is poll()'s: first for the first byte, then for each next one.
    // These are waits on the device and run on real time.
    const auto timeout = std::chrono::milliseconds(readTimeoutMs_.load());
    auto deadline = SteadyClock::now() + timeout;
    size_t got = 0;
    while (got < size) {
        short revents = 0;
        if (!WaitFor(fd, POLLIN, deadline, revents)) break;  // silence
        if (!(revents & POLLIN)) break;  // hung up or gone, nothing left to read
        ssize_t n = ::read(fd, buffer + got, size - got);
        if (n > 0) {
            got += size_t(n);
            deadline = SteadyClock::now() + timeout;  // silence between bytes ends the read
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        // EIO: the line hung up. Nothing after poll() said there was: hung up too.
        break;
    }
    return got;
}

size_t SerialPort::Write(const uint8_t* data, size_t size) {
    int fd = fd_.load();
    if (fd < 0 || size == 0) return 0;
    // Time to put the bytes on the line (ten bits each) and a second of slack:
    // a line that takes longer is stuck, and the write gives up.
    int baud = baud_.load() > 0 ? baud_.load() : 9600;
    auto deadline =
        SteadyClock::now() + std::chrono::milliseconds(1000 + int64_t(size) * 10000 / baud);
    size_t sent = 0;
    while (sent < size) {
        ssize_t n = ::write(fd, data + sent, size - sent);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) break;
        short revents = 0;
        if (!WaitFor(fd, POLLOUT, deadline, revents) || !(revents & POLLOUT)) break;
    }
    // The board's write returns when the bytes have left; callers time their
    // reply waits from there.
    if (sent > 0) ::ioctl(fd, TCSBRK, 1);
    return sent;
}

void SerialPort::Flush(int queue) {
    int fd = fd_.load();
    if (fd >= 0) ::ioctl(fd, TCFLSH, queue);
}

void SerialPort::PurgeAll() { Flush(TCIOFLUSH); }
void SerialPort::PurgeTx() { Flush(TCOFLUSH); }
void SerialPort::PurgeRx() { Flush(TCIFLUSH); }

void SerialPort::Close() {
    int fd = fd_.exchange(-1);
    baud_ = 0;
    if (fd < 0) return;
    ::ioctl(fd, TCFLSH, TCIOFLUSH);
    ::ioctl(fd, TIOCNXCL);  // the next Open may come from this process or another
    ::close(fd);
}

}  // namespace led
