// `ledplayer inspect-playlist` as users run it: stdout holds the JSON document
// and nothing else, whatever the reader logs; the exit status tells the result.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "support/TestPlayer.h"

namespace led {
namespace {

struct Result {
    int status = -1;
    std::string out;
};

Result Inspect(const std::string& file, const std::string& options = "") {
    std::string command = std::string("'") + LEDPLAYER_BIN_DIR + "/ledplayer' inspect-playlist '" +
                          file + "' " + options + " 2>/dev/null";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(InspectPlaylistProcess, StdoutHoldsOnlyTheDocument) {
    test::TempDir dir;
    std::string areas;
    for (int i = 0; i < 33; ++i) areas += R"(<area x="0" y="0" w="8" h="8" type="4"/>)";
    std::string file = dir / "playlist.xml";
    test::WriteHostFile(
        file, "<root><screens><screen w=\"800\" h=\"600\"><programs><program id=\"5\">" + areas +
                  "</program></programs></screen></screens></root>");

    Result read = Inspect(file, "--player-type J7-S --today 2026-12-06");
    ASSERT_EQ(read.status, 0) << read.out;
    auto doc = nlohmann::json::parse(read.out);  // throws when a log line slipped in
    EXPECT_EQ(doc["screen"]["width"], 800);
    EXPECT_EQ(doc["all"][0]["areas"].size(), 32u);
    EXPECT_EQ(doc["areasCut"][0]["areas"], 33);

    test::WriteHostFile(file, "<root><screens>");
    Result failed = Inspect(file);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(nlohmann::json::parse(failed.out), nlohmann::json({{"result", -1}}));

    EXPECT_NE(Inspect(file, "--run-mode usb").status, 0);
}

}  // namespace
}  // namespace led
