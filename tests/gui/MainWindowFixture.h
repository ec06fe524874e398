#pragma once
// A main window for widget tests: settings in a scratch folder, every
// message and dialog answered by a script, the desktop's "open" recorded,
// and small PDF files made on the spot.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/RecordingPrompts.h"
#include "support/ScratchDir.h"
#include "gui/CMainFrame.h"

namespace sgry::test {

using Strings = std::vector<std::string>;

// A PDF of `pages` empty A4 pages with a classic cross-reference table.
inline std::string SmallPdf(int pages) {
    std::vector<std::size_t> offsets;
    std::string pdf = "%PDF-1.4\n";
    auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += std::to_string(3 + i) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pages) + " >>");
    for (int i = 0; i < pages; ++i) object("<< /Type /Page /Parent 2 0 R /MediaBox [ 0 0 595 842 ] >>");
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        std::string number = std::to_string(offset);
        pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// Open dialogs that answer from a script and remember what they were asked.
class ScriptedDialogs : public FileDialogs {
public:
    std::vector<std::string> AskOpenFileNames(const std::string& title, const std::string& filter) override {
        asked.push_back(title + "|" + filter);
        return openFiles;
    }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& filter) override {
        asked.push_back(title + "|" + filter);
        return openFile;
    }

    std::vector<std::string> openFiles;  // empty = Cancel
    std::optional<std::string> openFile;  // nullopt = Cancel
    std::vector<std::string> asked;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : app_(dir_.File("sgry.ini")) {}

    void SetUp() override {
        app_.LoadSettings();
        FrameServices services;
        services.prompts = &prompts_;
        services.dialogs = &dialogs_;
        services.openInShell = [this](const std::string& path) { opened_.push_back(path); };
        frame_ = std::make_unique<CMainFrame>(app_, services);
        frame_->show();
        QApplication::processEvents();
    }

    // A PDF of `pages` pages in the scratch folder; its path.
    std::string MakePdf(const std::string& name, int pages = 1) {
        const std::string path = dir_.File(name);
        ScratchDir::Write(path, SmallPdf(pages));
        return path;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }

    // Adds the files through the add command, in this order.
    void AddThroughCommand(const std::vector<std::string>& paths) {
        dialogs_.openFiles = paths;
        frame_->Command(kIdAddFile)->trigger();
    }
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> paths;
        for (const FileListRow& row : frame_->View().List().Rows()) paths.push_back(row.path);
        return paths;
    }

    ScratchDir dir_{"mainwin"};
    SgryApp app_;
    RecordingPrompts prompts_;
    ScriptedDialogs dialogs_;
    std::vector<std::string> opened_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace sgry::test
