#include "cli/Terminal.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>

namespace sgry::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// Ctrl-C, and the SIGTERM or SIGHUP that timeout, systemd and a closing
// session send, all press the cancel button.
constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP};

void HandleCancelSignals(bool handle);

// The first signal raises the flag and gives all three their default action
// back (sigaction is async-signal-safe), so a second one ends the program at
// once; a torn update is then rolled back by the next run.
extern "C" void OnCancelSignal(int) {
    interrupted = 1;
    HandleCancelSignals(false);
}

void HandleCancelSignals(bool handle) {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    if (handle) {
        for (const int signal : kCancelSignals) sigaddset(&action.sa_mask, signal);
        action.sa_handler = OnCancelSignal;
        action.sa_flags = SA_RESTART;
    } else {
        action.sa_handler = SIG_DFL;
    }
    for (const int signal : kCancelSignals) ::sigaction(signal, &action, nullptr);
}

constexpr int kBarCells = 20;

int TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

// The last `bytes` bytes of a UTF-8 text, starting on a character boundary.
std::string Tail(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t start = text.size() - bytes;
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
    return "..." + text.substr(start);
}

}  // namespace

std::string TerminalLineBreaks(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += '\n';
        const char partner = c == '\r' ? '\n' : '\r';
        if (i + 1 < text.size() && text[i + 1] == partner) ++i;
    }
    return out;
}

void ErrorStream::WriteLine(const std::string& text) {
    ClearBar();
    std::fputs((text + "\n").c_str(), stream_);
    std::fflush(stream_);
}

void ErrorStream::WritePrompt(const std::string& text) {
    ClearBar();
    std::fputs(text.c_str(), stream_);
    std::fflush(stream_);
}

void ErrorStream::WriteBar(const std::string& line) {
    if (!isTerminal_) return;
    std::fputs(("\r\033[K" + line).c_str(), stream_);
    std::fflush(stream_);
    barShown_ = true;
}

void ErrorStream::ClearBar() {
    if (!barShown_) return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    barShown_ = false;
}

void TerminalPrompts::ShowMessage(const std::string& text, MessageIcon) {
    out_.WriteLine(TerminalLineBreaks(text));
}

std::optional<std::string> TerminalPrompts::ReadAnswer() {
    std::string line;
    for (int c = std::fgetc(answers_); c != EOF && c != '\n'; c = std::fgetc(answers_)) line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return std::nullopt;
    return line;
}

bool TerminalPrompts::AskOkCancel(const std::string& text) {
    if (assumeYes_) return true;
    if (!answersFromTerminal_) {
        noTerminal_ = true;
        out_.WriteLine(kNeedYes);
        return false;
    }
    out_.WritePrompt(TerminalLineBreaks(text) + " [y/N]: ");
    const std::optional<std::string> answer = ReadAnswer();
    return answer && (*answer == "y" || *answer == "Y" || *answer == "yes" || *answer == "YES");
}

std::optional<std::string> TerminalPrompts::AskSaveFileName(const std::string& title, const std::string&) {
    out_.WritePrompt(title + ": ");
    std::optional<std::string> answer = ReadAnswer();
    if (!answersFromTerminal_) out_.WriteLine(answer.value_or(""));  // the prompt's line ends here
    return answer;
}

TerminalProgress::~TerminalProgress() {
    if (interruptInstalled_) HandleCancelSignals(false);
}

void TerminalProgress::Start(int32_t total) {
    total_ = total;
    done_ = 0;
    interrupted = 0;
    HandleCancelSignals(true);
    interruptInstalled_ = true;
}

void TerminalProgress::Show(const std::string& countText, const std::string& path) {
    countText_ = countText;
    path_ = path;
    if (quiet_) return;
    if (out_.IsTerminal())
        Draw();
    else
        out_.WriteLine(countText + " " + path);
}

void TerminalProgress::Draw() {
    const int filled = total_ > 0 ? static_cast<int>(static_cast<int64_t>(done_) * kBarCells / total_) : 0;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarCells - filled), '-') + "] " + countText_ + " ";
    const int columns = TerminalColumns(stderr);
    const std::size_t room = columns > static_cast<int>(line.size()) + 8
                                 ? static_cast<std::size_t>(columns) - line.size() - 1
                                 : 8;
    out_.WriteBar(line + Tail(path_, room));
}

void TerminalProgress::Step() { ++done_; }

bool TerminalProgress::Cancelled() { return interrupted != 0; }

void TerminalProgress::Finish() {
    out_.ClearBar();
    if (interruptInstalled_) HandleCancelSignals(false);
    interruptInstalled_ = false;
}

}  // namespace sgry::cli
