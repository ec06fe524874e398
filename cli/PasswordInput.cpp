#include "cli/PasswordInput.h"

#include <termios.h>
#include <unistd.h>

namespace sgry::cli {

namespace {

// Turns echo off for as long as it lives (terminal only).
class EchoOff {
public:
    EchoOff(std::FILE* input, bool isTerminal) : fd_(fileno(input)) {
        active_ = isTerminal && tcgetattr(fd_, &saved_) == 0;
        if (!active_) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fd_, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        if (active_) tcsetattr(fd_, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    bool active_ = false;
    termios saved_{};
};

bool ReadLine(std::FILE* input, bool isTerminal, std::string& line) {
    EchoOff echoOff(input, isTerminal);
    line.clear();
    int c = std::fgetc(input);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = std::fgetc(input)) line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool Resolve(const std::string& given, std::FILE* input, bool isTerminal, std::string& out) {
    if (given != "-") {
        out = given;
        return true;
    }
    return ReadLine(input, isTerminal, out);
}

}  // namespace

bool ResolvePasswords(const std::string& user, const std::string& owner, std::FILE* input, bool inputIsTerminal,
                      Passwords& out) {
    return Resolve(user, input, inputIsTerminal, out.user) && Resolve(owner, input, inputIsTerminal, out.owner);
}

}  // namespace sgry::cli
