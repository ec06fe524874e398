#pragma once
// The terminal side of sigilry-cli: messages and progress on standard error,
// questions answered on standard input.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/BatchRun.h"
#include "platform/Translation.h"
#include "platform/UserPrompts.h"

namespace sgry::cli {

// The message shown when the confirmation cannot be asked.
inline constexpr Translatable kNeedYes =
    N_("There is no terminal to answer the question. Add --yes to run without asking");

// A message's line breaks ("\r\n", "\n\r", "\r") as "\n", for a terminal or a log.
std::string TerminalLineBreaks(const std::string& text);

// Standard error, where a progress bar (on a terminal) occupies the last line
// until something else is written.
class ErrorStream {
public:
    ErrorStream(std::FILE* stream, bool isTerminal) : stream_(stream), isTerminal_(isTerminal) {}

    bool IsTerminal() const { return isTerminal_; }
    // The text and a line end, after clearing a bar.
    void WriteLine(const std::string& text);
    // Text without a line end (a question), after clearing a bar.
    void WritePrompt(const std::string& text);
    // Replaces the bar line (terminal only).
    void WriteBar(const std::string& line);
    void ClearBar();

private:
    std::FILE* stream_;
    bool isTerminal_;
    bool barShown_ = false;
};

class TerminalPrompts : public UserPrompts {
public:
    // answers: where answers are read (standard input); answersFromTerminal:
    // whether a person can answer there; assumeYes: --yes.
    TerminalPrompts(ErrorStream& out, std::FILE* answers, bool answersFromTerminal, bool assumeYes)
        : out_(out), answers_(answers), answersFromTerminal_(answersFromTerminal), assumeYes_(assumeYes) {}

    void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) override;
    // --yes answers OK; without a terminal kNeedYes is shown and the answer
    // is Cancel (NoTerminal() then tells why); otherwise "y" or "yes" is OK.
    bool AskOkCancel(const std::string& text) override;
    // The name is read as one line of standard input (also from a pipe); an
    // empty line or the end of the input is Cancel.
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter) override;

    bool NoTerminal() const { return noTerminal_; }

private:
    std::optional<std::string> ReadAnswer();

    ErrorStream& out_;
    std::FILE* answers_;
    bool answersFromTerminal_;
    bool assumeYes_;
    bool noTerminal_ = false;
};

// "0 / 3" and the path: a one-line bar on a terminal, one line per file
// otherwise, nothing when quiet. While files run, SIGINT (Ctrl-C), SIGTERM
// and SIGHUP are the cancel button: the file being stamped is finished first
// (or, should it fail, cut back) and no further file is begun; a second
// signal of any of the three ends the program at once.
class TerminalProgress : public BatchProgress {
public:
    TerminalProgress(ErrorStream& out, bool quiet) : out_(out), quiet_(quiet) {}
    ~TerminalProgress() override;

    void Start(int32_t total) override;
    void Show(const std::string& countText, const std::string& path) override;
    void Step() override;
    bool Cancelled() override;
    void Finish() override;

private:
    void Draw();

    ErrorStream& out_;
    bool quiet_;
    bool interruptInstalled_ = false;
    int32_t total_ = 0;
    int32_t done_ = 0;
    std::string countText_;
    std::string path_;
};

}  // namespace sgry::cli
