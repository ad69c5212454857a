// Helper programs: their output, their exit status, and one that never ends.

#include "platform/system/Process.h"

#include <gtest/gtest.h>

namespace led {
namespace {

TEST(ProcessTest, CollectsOutputAndExitStatusWithoutAShell) {
    auto r = RunProcess({"sh", "-c", "printf 'a:b\\n'; echo err >&2; exit 3"}, 10000);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.output, "a:b\n");  // standard error is not mixed in

    // Arguments reach the program as they are: no shell reads them.
    r = RunProcess({"printf", "%s", "$(id); x"}, 10000);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "$(id); x");
}

TEST(ProcessTest, AMissingProgramDoesNotStartAndAHangingOneIsKilled) {
    EXPECT_FALSE(RunProcess({"ledplayer-no-such-program"}, 1000).started);
    auto r = RunProcess({"sleep", "30"}, 50);
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.timedOut);
    EXPECT_EQ(r.exitCode, -1);

    // It closed its output but goes on running: still bounded.
    r = RunProcess({"sh", "-c", "exec >&-; sleep 30"}, 50);
    EXPECT_TRUE(r.timedOut);
}

TEST(ProcessTest, OutputBeyondTheLimitIsDropped) {
    auto r = RunProcess({"sh", "-c", "head -c 100000 /dev/zero"}, 10000, 1000);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.size(), 1000u);
}

}  // namespace
}  // namespace led
