#pragma once
// One serial device, opened by its board name "COMn:" and mapped to a device
// path by configuration. Synchronous reads and writes with the board's time-out
// rules; a port that is closed (never opened, failed to open, or closed) makes
// every operation do nothing and report failure.
//
// Exchanges: a command and the reading of its answer must not interleave with
// another thread's exchange, so whoever talks to the port holds LockExchange()
// from its write to the end of its read. Open, Close, Read and Write themselves
// assume that lock is held by their caller when other threads share the port.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace led {

class SerialPort {
public:
    // "COM3:" -> "/dev/ttyS3"; a name that is missing or mapped to "" has no device.
    using DeviceMap = std::map<std::string, std::string>;
    using ExchangeLock = std::unique_lock<std::mutex>;

    enum Parity { kNoParity = 0, kOddParity, kEvenParity, kMarkParity, kSpaceParity };
    enum StopBits { kOneStopBit = 0, kOneAndHalfStopBits, kTwoStopBits };
    enum FlowMode {
        kNoHandshake = 0,
        kRtsCts,
        kDtrCts,
        kRtsDsr,
        kDtrDsr,
        kXonXoff,
    };

    explicit SerialPort(DeviceMap devices = {});
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens "COM<port>:" (port 1..255) for reading and writing, not shared (an
    // open of a device another port object holds fails, root or not), and
    // applies the line settings. Parity and stop-bit codes outside their range
    // leave the device's value. Any baud rate is accepted (576000 included). The
    // read time-out starts at 1000 ms.
    bool Open(int port, int baud, int parity, int dataBits, int stopBits, int flowMode);
    // The driver queue sizes of the board; Linux sizes its own queues.
    void SetQueueSizes(size_t input, size_t output);
    // A read waits this long for its first byte, and ends after this much
    // silence between bytes.
    void SetReadTimeout(int milliseconds);
    // One read of up to `size` bytes; 0 when closed, on error or when nothing came.
    size_t Read(uint8_t* buffer, size_t size);
    // One write, returning when the bytes are sent or the line gave up; the
    // count written (0 when closed or on error).
    size_t Write(const uint8_t* data, size_t size);
    size_t Write(const std::string& bytes) {
        return Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    void PurgeAll();
    void PurgeTx();
    void PurgeRx();
    void Close();

    bool IsOpen() const { return fd_.load() >= 0; }
    int Baud() const { return baud_.load(); }  // 0 when closed
    int ReadTimeout() const { return readTimeoutMs_.load(); }
    // "COM3:", or empty before the first Open.
    std::string Name() const;

    [[nodiscard]] ExchangeLock LockExchange() { return ExchangeLock(exchange_); }

private:
    void Flush(int queue);

    DeviceMap devices_;
    std::mutex exchange_;
    mutable std::mutex nameMutex_;
    std::string name_;
    std::atomic<int> fd_{-1};
    std::atomic<int> baud_{0};
    std::atomic<int> readTimeoutMs_{1000};
};

}  // namespace led
