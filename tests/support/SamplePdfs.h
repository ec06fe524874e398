#pragma once
// Running the real readers (qpdf, poppler) and other programs from tests.
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace sgry::test {

// Runs a shell command; its exit status, and its standard output in *output.
inline int RunShell(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    const int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The standard output of a shell command.
inline std::string ShellOutput(const std::string& command) {
    std::string output;
    RunShell(command, &output);
    return output;
}

inline bool ToolExists(const std::string& command) {
    return RunShell("command -v " + command + " >/dev/null 2>&1") == 0;
}

inline std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The text of one page as pdftotext extracts it (UTF-8).
inline std::string PageText(const std::string& pdf, int page) {
    return ShellOutput("pdftotext -q -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + Quoted(pdf) +
                       " - 2>/dev/null");
}

// True when qpdf --check finds no error and no warning.
inline bool QpdfCheckClean(const std::string& pdf, std::string* report = nullptr) {
    std::string out;
    const int rc = RunShell("qpdf --check " + Quoted(pdf) + " 2>&1", &out);
    if (report) *report = out;
    return rc == 0;
}

}  // namespace sgry::test
