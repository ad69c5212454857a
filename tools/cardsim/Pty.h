#pragma once
// A pseudo-terminal pair whose slave end the player opens as its serial port.

#include <string>

namespace cardsim {

class Pty {
public:
    Pty();  // throws std::runtime_error when no pty can be had
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    // The speed the player set on its end (0 when unknown).
    int SlaveBaud() const;

private:
    int master_ = -1;
    // Kept open so that the player closing and reopening its end never hangs
    // up the master side.
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace cardsim
