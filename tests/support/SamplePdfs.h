#pragma once
// PDF files written by other programs, for end-to-end tests of the stamping
// pass: Ghostscript's ps2pdf, and Cairo through the system Python (Cairo's
// pages start with a flipped coordinate system that they never restore).
// Each returns the path written, or "" when the tool is missing.
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

inline bool ToolExists(const std::string& command) {
    return RunShell("command -v " + command + " >/dev/null 2>&1") == 0;
}

inline std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// pages pages of A4, page n showing "Body n".
inline std::string GhostscriptPdf(const std::string& path, int pages) {
    if (!ToolExists("ps2pdf")) return std::string();
    const std::string ps = path + ".ps";
    if (FILE* f = std::fopen(ps.c_str(), "wb")) {
        std::fprintf(f,
                     "%%!PS\n<< /PageSize [595 842] >> setpagedevice\n/Helvetica findfont 24 scalefont setfont\n"
                     "1 1 %d { /n exch def 72 600 moveto (Body ) show n 3 string cvs show showpage } for\n",
                     pages);
        std::fclose(f);
    }
    const int rc = RunShell("ps2pdf " + Quoted(ps) + " " + Quoted(path) + " 2>&1");
    std::remove(ps.c_str());
    return rc == 0 ? path : std::string();
}

inline bool HaveCairo() { return RunShell("/usr/bin/python3 -c 'import cairo' >/dev/null 2>&1") == 0; }

// pages pages of A4 drawn by Cairo, page n showing "Cairo n".
inline std::string CairoPdf(const std::string& path, int pages) {
    if (!HaveCairo()) return std::string();
    const std::string script =
        "import cairo,sys\n"
        "s=cairo.PDFSurface(sys.argv[1],595,842)\n"
        "c=cairo.Context(s)\n"
        "for i in range(int(sys.argv[2])):\n"
        "    c.move_to(72,200); c.set_font_size(20); c.show_text('Cairo %d'%(i+1)); c.show_page()\n"
        "s.finish()\n";
    const int rc = RunShell("/usr/bin/python3 -c " + Quoted(script) + " " + Quoted(path) + " " +
                            std::to_string(pages) + " 2>&1");
    return rc == 0 ? path : std::string();
}

// The text of one page as pdftotext extracts it (UTF-8).
inline std::string PageText(const std::string& pdf, int page) {
    std::string text;
    RunShell("pdftotext -q -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + Quoted(pdf) +
                 " - 2>/dev/null",
             &text);
    return text;
}

// True when qpdf --check finds no error and no warning.
inline bool QpdfCheckClean(const std::string& pdf, std::string* report = nullptr) {
    std::string out;
    const int rc = RunShell("qpdf --check " + Quoted(pdf) + " 2>&1", &out);
    if (report) *report = out;
    return rc == 0;
}

}  // namespace sgry::test
