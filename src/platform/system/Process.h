#pragma once
// Runs a helper program (nmcli and the like) and collects what it prints.

#include <string>
#include <vector>

namespace led {

struct ProcessResult {
    bool started = false;  // false when the program could not be run at all
    bool timedOut = false;
    int exitCode = -1;   // -1 unless it exited on its own
    std::string output;  // standard output; standard error is dropped
};

// Runs argv[0] (looked up in PATH) with no shell in between, so arguments are
// never reinterpreted. A program that outlives `timeoutMs` (real time: the
// helper runs on the host's clock whatever the player's clock does) is
// killed. Output beyond `maxOutput` bytes is read and dropped.
ProcessResult RunProcess(const std::vector<std::string>& argv, int timeoutMs,
                         size_t maxOutput = 1 << 20);

}  // namespace led
