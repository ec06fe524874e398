#pragma once
// Message boxes, the OK/Cancel question and the file dialogs of the desktop
// program, as Qt dialogs over the main window. Message boxes carry the
// application title "sgry".
#include <QPointer>
#include <QString>
#include <QWidget>

#include "gui/FileDialogs.h"
#include "platform/UserPrompts.h"

namespace sgry {

inline constexpr const char* kMessageBoxTitle = "sgry";

// "PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||" as a Qt name filter list:
// "PDFﾌｧｲﾙ(*.pdf);;すべてのﾌｧｲﾙ(*.*) (*)". A label that already ends with
// its pattern in parentheses is kept as it is; "*.*" means every file, also
// one without a dot.
QString QtNameFilter(const std::string& filter);

// A message as a message box shows it: CR LF, LF CR and lone CR become LF.
QString MessageBoxText(const std::string& text);

// The name a save dialog's caller writes to: a chosen name gets the
// extension of the filter's first pattern ("*.pdf": ".pdf") unless it ends
// with it in any case. The overwrite question is asked for this name, not
// for the name as typed, so "out" asks about an existing "out.pdf".
std::string EffectiveSaveName(const std::string& chosen, const std::string& filter);

// Paths are native bytes: they cross into Qt and back with the file-name codec.
QString PathToQt(const std::string& path);
std::string PathFromQt(const QString& path);

class QtUserPrompts : public UserPrompts, public FileDialogs {
public:
    // Dialogs are centred over `parent` (may be set later, or stay null).
    explicit QtUserPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) override;
    bool AskOkCancel(const std::string& text) override;
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter) override;
    std::optional<std::string> AskPassword(const std::string& text) override;
    bool AskAllowChange(const std::string& text) override;
    std::vector<std::string> AskOpenFileNames(const std::string& title, const std::string& filter) override;
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& filter) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace sgry
