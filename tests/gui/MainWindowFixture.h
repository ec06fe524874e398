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
#include "platform/Format.h"

namespace sgry::test {

using Strings = std::vector<std::string>;

// A PDF of `pages` empty A4 pages with a classic cross-reference table.
inline std::string SmallPdf(int pages) {
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += Format("%d 0 R ", 3 + i);
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                                        Format("<< /Type /Pages /Kids [ %s] /Count %d >>", kids, pages)};
    objects.resize(2 + static_cast<std::size_t>(pages), "<< /Type /Page /Parent 2 0 R /MediaBox [ 0 0 595 842 ] >>");
    std::string pdf = "%PDF-1.4\n";
    std::string xref = Format("xref\n0 %ld\n0000000000 65535 f \n", objects.size() + 1);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        xref += Format("%010ld 00000 n \n", pdf.size());
        pdf += Format("%ld 0 obj\n%s\nendobj\n", i + 1, objects[i]);
    }
    return pdf + xref + Format("trailer\n<< /Size %ld /Root 1 0 R >>\nstartxref\n%ld\n%%%%EOF\n", objects.size() + 1,
                               pdf.size());
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
