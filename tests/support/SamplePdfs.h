#pragma once
// PDF files written by other programs, for end-to-end tests of the stamping
// pass: Ghostscript's ps2pdf, and Cairo through the system Python (Cairo's
// pages start with a flipped coordinate system that they never restore).
#include <sys/wait.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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

inline bool HaveCairo() { return RunShell("/usr/bin/python3 -c 'import cairo' >/dev/null 2>&1") == 0; }

// A filled grey rectangle in page points from the bottom left; level 0 black to 100 white.
struct GreyBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int level = 80;
};

// One page of a source: its size in points, an optional grey box, and the
// line "Body n" (Ghostscript) or "Cairo n" (Cairo) near the top left.
struct SourcePage {
    int width = 595;
    int height = 842;
    std::optional<GreyBox> box;
};

// Writes the pages with ps2pdf; the path, or "" when it is missing or failed.
inline std::string GhostscriptPages(const std::string& path, const std::vector<SourcePage>& pages) {
    if (!ToolExists("ps2pdf")) return std::string();
    std::string ps = "%!PS\n/Helvetica findfont 20 scalefont setfont\n";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const SourcePage& p = pages[i];
        ps += "<< /PageSize [" + std::to_string(p.width) + " " + std::to_string(p.height) +
              "] >> setpagedevice\n";
        if (p.box)
            ps += std::to_string(p.box->level) + " 100 div setgray " + std::to_string(p.box->x) + " " +
                  std::to_string(p.box->y) + " " + std::to_string(p.box->width) + " " +
                  std::to_string(p.box->height) + " rectfill\n";
        ps += "0 setgray 72 " + std::to_string(p.height - 60) + " moveto (Body " + std::to_string(i + 1) +
              ") show showpage\n";
    }
    if (FILE* f = std::fopen((path + ".ps").c_str(), "wb")) {
        std::fwrite(ps.data(), 1, ps.size(), f);
        std::fclose(f);
    }
    // Without /None Ghostscript may turn a page whose text it finds sideways.
    const int rc =
        RunShell("ps2pdf -dAutoRotatePages=/None " + Quoted(path + ".ps") + " " + Quoted(path) + " 2>&1");
    std::remove((path + ".ps").c_str());
    return rc == 0 ? path : std::string();
}

// Writes the pages with Cairo; the path, or "" when it is missing or failed.
inline std::string CairoPages(const std::string& path, const std::vector<SourcePage>& pages) {
    if (!HaveCairo()) return std::string();
    std::string list = "[";
    for (const SourcePage& p : pages) {
        list += "(" + std::to_string(p.width) + "," + std::to_string(p.height) + ",";
        list += p.box ? "(" + std::to_string(p.box->x) + "," + std::to_string(p.box->y) + "," +
                            std::to_string(p.box->width) + "," + std::to_string(p.box->height) + "," +
                            std::to_string(p.box->level) + ")"
                      : std::string("None");
        list += "),";
    }
    list += "]";
    // Cairo's y axis points down: a box at y from the bottom starts at h - y - bh.
    const std::string script =
        "import cairo,sys\n"
        "pages=" +
        list +
        "\n"
        "s=cairo.PDFSurface(sys.argv[1],pages[0][0],pages[0][1])\n"
        "c=cairo.Context(s)\n"
        "for i,(w,h,box) in enumerate(pages):\n"
        "    s.set_size(w,h)\n"
        "    if box:\n"
        "        x,y,bw,bh,level=box\n"
        "        c.set_source_rgb(level/100,level/100,level/100); c.rectangle(x,h-y-bh,bw,bh); c.fill()\n"
        "    c.set_source_rgb(0,0,0); c.move_to(72,60); c.set_font_size(20); c.show_text('Cairo %d'%(i+1))\n"
        "    c.show_page()\n"
        "s.finish()\n";
    const int rc = RunShell("/usr/bin/python3 -c " + Quoted(script) + " " + Quoted(path) + " 2>&1");
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
