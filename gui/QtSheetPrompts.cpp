#include "gui/QtSheetPrompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace sgry::sheets {
namespace {

QString BoxTitle() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Sigilry") : name;
}

// The texts carry CR LF line breaks; a label wants plain line feeds.
QString DisplayText(const std::string& text) {
    QString display = QString::fromStdString(text);
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return display;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// "label|pattern|label|pattern||" to Qt's "label (pattern);;..." form; the
// patterns are separated by ';' in the first and by blanks in the second.
QString ToQtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QChar(u'|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QChar(u';'), QChar(u' '));
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace

void QtSheetPrompts::ShowMessage(const std::string& text, MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), BoxTitle(), DisplayText(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtSheetPrompts::AskOkCancel(const std::string& text) {
    QMessageBox box(QMessageBox::Question, BoxTitle(), DisplayText(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent_);
    return box.exec() == QMessageBox::Ok;
}

std::optional<std::string> QtSheetPrompts::AskSaveFileName(const std::string& title, const std::string& filter) {
    const QString path = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title), QString(),
                                                      ToQtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

}  // namespace sgry::sheets


