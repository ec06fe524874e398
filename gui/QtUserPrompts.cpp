#include "gui/QtUserPrompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

#include "platform/FileSystem.h"

namespace sgry {

namespace {

// The file dialog's own question before a file is replaced.
constexpr const char* kReplaceQuestion = QT_TRANSLATE_NOOP("sgry::QtUserPrompts", "%1 already exists.\nDo you want to replace it?");

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A run shows the wait cursor; a box that waits for a click shows the arrow.
class ArrowCursorWhileAsking {
public:
    ArrowCursorWhileAsking() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursorWhileAsking() { QApplication::restoreOverrideCursor(); }
    ArrowCursorWhileAsking(const ArrowCursorWhileAsking&) = delete;
    ArrowCursorWhileAsking& operator=(const ArrowCursorWhileAsking&) = delete;
};

int RunBox(QWidget* parent, const std::string& text, QMessageBox::Icon icon,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, QString::fromUtf8(kMessageBoxTitle), MessageBoxText(text), buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    const ArrowCursorWhileAsking arrow;
    return box.exec();
}

}  // namespace

std::string EffectiveSaveName(const std::string& chosen, const std::string& filter) {
    const std::size_t labelEnd = filter.find('|');
    if (labelEnd == std::string::npos) return chosen;
    const std::size_t patternEnd = filter.find('|', labelEnd + 1);
    const std::string pattern = filter.substr(labelEnd + 1, patternEnd - labelEnd - 1);
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0 || pattern == "*.*") return chosen;
    const std::string extension = pattern.substr(1);
    return fs::EndsWithIgnoreCase(chosen, extension) ? chosen : chosen + extension;
}

QString QtNameFilter(const std::string& filter) {
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString& pattern = parts[i + 1];
        if (label.isEmpty() && pattern.isEmpty()) break;
        if (pattern == QLatin1String("*.*"))
            filters << label + QLatin1String(" (*)");
        else if (label.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')))
            filters << label;
        else
            filters << label + QLatin1String(" (") + pattern + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

QString MessageBoxText(const std::string& text) {
    QString shown = QString::fromUtf8(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString PathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

void QtUserPrompts::ShowMessage(const std::string& text, MessageIcon icon) {
    RunBox(parent_, text, QtIcon(icon), QMessageBox::Ok);
}

std::optional<std::string> QtUserPrompts::AskPassword(const std::string& text) {
    const ArrowCursorWhileAsking arrow;
    bool ok = false;
    const QString password = QInputDialog::getText(parent_, QString::fromUtf8(kMessageBoxTitle), MessageBoxText(text),
                                                   QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return password.toStdString();
}

// No is the default: breaking a certification takes a deliberate answer.
bool QtUserPrompts::AskAllowChange(const std::string& text) {
    return RunBox(parent_, text, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

bool QtUserPrompts::AskOkCancel(const std::string& text) {
    return RunBox(parent_, text, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

// The name comes back as typed (the caller appends the extension), but the
// question before replacing a file is about the file that will be written.
std::optional<std::string> QtUserPrompts::AskSaveFileName(const std::string& title, const std::string& filter) {
    const ArrowCursorWhileAsking arrow;
    QFileDialog dialog(parent_, QString::fromUtf8(title), QString(), QtNameFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const std::string chosen = PathFromQt(dialog.selectedFiles().constFirst());
        const QString target = PathToQt(EffectiveSaveName(chosen, filter));
        if (!QFileInfo::exists(target)) return chosen;
        const QString question = QCoreApplication::translate("sgry::QtUserPrompts", kReplaceQuestion).arg(QFileInfo(target).fileName());
        QMessageBox box(QMessageBox::Warning, dialog.windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                        &dialog);
        if (box.exec() == QMessageBox::Yes) return chosen;
    }
    return std::nullopt;
}

std::vector<std::string> QtUserPrompts::AskOpenFileNames(const std::string& title, const std::string& filter) {
    const ArrowCursorWhileAsking arrow;
    const QStringList chosen =
        QFileDialog::getOpenFileNames(parent_, QString::fromUtf8(title), QString(), QtNameFilter(filter));
    std::vector<std::string> paths;
    for (const QString& path : chosen) paths.push_back(PathFromQt(path));
    return paths;
}

std::optional<std::string> QtUserPrompts::AskOpenFileName(const std::string& title, const std::string& filter) {
    const ArrowCursorWhileAsking arrow;
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QString::fromUtf8(title), QString(), QtNameFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return PathFromQt(chosen);
}

}  // namespace sgry
