// ledctl's upload against a stand-in player on loopback that keeps what it
// receives, answers manifests with what it has, and can drop the connection
// in the middle of a file.

#include "client/Upload.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <thread>

#include "client/Error.h"

namespace ledctl {
namespace {

namespace fs = std::filesystem;

class StandInPlayer {
public:
    // `dropAfter`: on the first connection, close it once this many file
    // bytes arrived (0: never).
    explicit StandInPlayer(size_t dropAfter, bool answerManifests = true)
        : dropAfter_(dropAfter), answer_(answerManifests) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listener_, 4);
        socklen_t size = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~StandInPlayer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    uint16_t Port() const { return port_; }
    std::string Received(const std::string& name) {
        std::lock_guard lock(mutex_);
        return files_[name];
    }
    std::string LastManifest() {
        std::lock_guard lock(mutex_);
        return lastManifest_;
    }
    std::string Completion() {
        std::lock_guard lock(mutex_);
        return completion_;
    }
    int Connections() const { return connections_; }
    int Completes() const { return completes_; }
    size_t DataBytes() const { return dataBytes_; }

private:
    bool ReadExactly(int fd, void* out, size_t n) {
        auto* p = static_cast<uint8_t*>(out);
        while (n > 0) {
            ssize_t got = ::recv(fd, p, n, 0);
            if (got <= 0) return false;
            p += got;
            n -= size_t(got);
        }
        return true;
    }
    void Send(int fd, const std::string& bytes) {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    static std::string Frame(uint8_t code, const std::string& payload) {
        uint32_t n = uint32_t(payload.size());
        std::string f = {'*', '#', char(code), char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
        return f + payload + "#*";
    }
    static std::string Field(const std::string& xml, const std::string& name) {
        std::smatch m;
        std::regex_search(xml, m, std::regex("<" + name + ">([^<]*)</" + name + ">"));
        return m.size() > 1 ? m[1].str() : "";
    }

    void Serve() {
        for (;;) {
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            ++connections_;
            Session(fd, connections_ == 1 ? dropAfter_ : 0);
            ::close(fd);
        }
    }

    void Session(int fd, size_t dropAfter) {
        std::string current;
        for (;;) {
            uint8_t head[7];
            if (!ReadExactly(fd, head, 7)) return;
            uint32_t length = head[3] | head[4] << 8 | head[5] << 16 | uint32_t(head[6]) << 24;
            if (head[2] == 9 || head[2] == 60) {
                for (uint32_t i = 0; i < length; ++i) {
                    char b;
                    if (!ReadExactly(fd, &b, 1)) return;
                    std::lock_guard lock(mutex_);
                    files_[current] += b;
                    ++dataBytes_;
                    if (dropAfter && dataBytes_ == dropAfter) return;
                }
                char end[2];
                if (!ReadExactly(fd, end, 2)) return;
                continue;
            }
            std::string payload(length, '\0');
            char end[2];
            if (!ReadExactly(fd, payload.data(), length) || !ReadExactly(fd, end, 2)) return;
            if (head[2] == 8 || head[2] == 59) {
                if (!answer_) continue;
                current = Field(payload, "filename");
                lastManifest_ = payload;
                std::lock_guard lock(mutex_);
                if (current == "playlist.xml" || Field(payload, "ifoverwrite") != "0")
                    files_[current].clear();
                std::string reply = std::regex_replace(
                    payload, std::regex("<filelen>[0-9]*</filelen>"),
                    "<filelen>" + std::to_string(files_[current].size()) + "</filelen>");
                Send(fd, Frame(head[2], reply));
            } else if (head[2] == 13 || head[2] == 61) {
                ++completes_;
                std::lock_guard lock(mutex_);
                completion_ = payload;
                Send(fd, Frame(head[2], "") + std::string(1, '\0'));
            }
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    size_t dropAfter_;
    bool answer_;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::string lastManifest_, completion_;
    std::atomic<int> connections_{0}, completes_{0};
    std::atomic<size_t> dataBytes_{0};
};

class LedctlUpload : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ledctl-upload-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (size_t i = 0; i < 300000; ++i) clip_ += char('a' + (i * 7919) % 26);
        std::ofstream(dir_ / "clip.mp4", std::ios::binary) << clip_;
        std::ofstream(dir_ / "playlist.xml") << "<playlist/>";
        std::ofstream(dir_ / "empty.txt");
    }
    void TearDown() override { fs::remove_all(dir_); }
    UploadOptions Options(uint16_t port) {
        UploadOptions o;
        o.host = "127.0.0.1";
        o.port = port;
        o.timeout = Millis(5000);
        o.reconnectDelay = Millis(10);
        return o;
    }

    fs::path dir_;
    std::string clip_;
};

TEST_F(LedctlUpload, TakesADroppedConnectionUpWhereItBroke) {
    StandInPlayer player(120000);
    Uploader uploader(Options(player.Port()));
    auto results = uploader.Send(ProgramFiles(dir_), kProgramFiles, 13);

    EXPECT_EQ(player.Received("clip.mp4"), clip_);  // byte-exact, nothing twice
    EXPECT_EQ(player.DataBytes(), clip_.size() + 11);
    EXPECT_EQ(player.Received("playlist.xml"), "<playlist/>");
    EXPECT_EQ(player.Connections(), 2);
    EXPECT_EQ(uploader.Reconnects(), 1);
    EXPECT_EQ(player.Completes(), 1);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].name, "clip.mp4");
    EXPECT_EQ(results[0].from, 120000u);
    EXPECT_EQ(results[0].sent, clip_.size() - 120000);
}

TEST_F(LedctlUpload, SendsOnlyWhatThePlayerLacks) {
    StandInPlayer player(0);
    Uploader first(Options(player.Port()));
    first.Send(ProgramFiles(dir_), kProgramFiles, 13);
    size_t before = player.DataBytes();

    // Again: the clip is complete on the player, only the playlist travels.
    Uploader second(Options(player.Port()));
    auto results = second.Send(ProgramFiles(dir_), kProgramFiles, 13);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].skipped);
    EXPECT_EQ(player.DataBytes() - before, 11u);
    EXPECT_EQ(player.Completes(), 2);
}

TEST_F(LedctlUpload, FontsTravelTypedWithTheirFontList) {
    StandInPlayer player(0);
    std::ofstream(dir_ / "Sans & Co.ttf", std::ios::binary) << "FONTDATA";
    std::string list = FontList({{"Sans & Co.ttf", "Sans \"Co\""}});
    Uploader uploader(Options(player.Port()));
    uploader.Send({dir_ / "Sans & Co.ttf"}, TypedFiles(2), 61, Bytes(list.begin(), list.end()));

    EXPECT_EQ(player.Received("Sans &amp; Co.ttf"), "FONTDATA");  // the stand-in does not unescape
    EXPECT_NE(player.LastManifest().find("<file type=\"2\">"), std::string::npos);
    EXPECT_EQ(player.Completes(), 1);
    EXPECT_EQ(player.Completion(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><font file=\"Sans &amp; Co.ttf\">"
              "<name fontname=\"Sans &quot;Co&quot;\"/></font></root>\n");
}

TEST_F(LedctlUpload, GivesUpWhenThePlayerDoesNotAnswerOrKeepsDropping) {
    {
        StandInPlayer silent(0, false);
        UploadOptions o = Options(silent.Port());
        o.timeout = Millis(300);
        Uploader uploader(o);
        try {
            uploader.Send(ProgramFiles(dir_), kProgramFiles, 13);
            FAIL() << "a player that never answers cannot be uploaded to";
        } catch (const ClientError& e) {
            EXPECT_EQ(e.Kind(), ErrorKind::NoAnswer);
        }
    }
    {
        StandInPlayer dropping(1000);
        UploadOptions o = Options(dropping.Port());
        o.reconnects = 0;
        Uploader uploader(o);
        try {
            uploader.Send(ProgramFiles(dir_), kProgramFiles, 13);
            FAIL() << "with no reconnects left a dropped connection ends the upload";
        } catch (const ClientError& e) {
            EXPECT_EQ(e.Kind(), ErrorKind::ConnectionLost);
        }
        EXPECT_EQ(dropping.Completes(), 0);
    }
}

}  // namespace
}  // namespace ledctl
