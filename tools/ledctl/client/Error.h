#pragma once
// What goes wrong talking to a player. The kind tells the upload whether a
// new connection may help (a dropped connection) or not (no answer).

#include <stdexcept>
#include <string>

namespace ledctl {

enum class ErrorKind { NoAnswer, ConnectionLost, CannotConnect, Unexpected };

class ClientError : public std::runtime_error {
public:
    ClientError(ErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }

private:
    ErrorKind kind_;
};

}  // namespace ledctl
