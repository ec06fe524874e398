#include "cli/PasswordInput.h"

#include <termios.h>
#include <unistd.h>

#include "platform/Translation.h"

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

// On a terminal the question goes to standard error, and the line end that
// the hidden echo swallowed follows the answer there.
bool ReadLine(std::FILE* input, bool isTerminal, const char* question, std::string& line) {
    if (isTerminal) std::fputs(question, stderr);
    EchoOff echoOff(input, isTerminal);
    line.clear();
    int c = std::fgetc(input);
    for (; c != EOF && c != '\n'; c = std::fgetc(input)) line += static_cast<char>(c);
    if (isTerminal) std::fputs("\n", stderr);
    if (c == EOF && line.empty()) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool Resolve(const std::string& given, std::FILE* input, bool isTerminal, const char* question, std::string& out) {
    if (given != "-") {
        out = given;
        return true;
    }
    return ReadLine(input, isTerminal, question, out);
}

}  // namespace

bool ResolvePasswords(const std::string& user, const std::optional<std::string>& owner, std::FILE* input,
                      bool inputIsTerminal, Passwords& out) {
    if (!Resolve(user, input, inputIsTerminal, Translate("Password: "), out.user)) return false;
    if (!owner) return true;
    return Resolve(*owner, input, inputIsTerminal, Translate("Owner password: "), out.owner.emplace());
}

}  // namespace sgry::cli
