#include "gui/SheetText.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include "platform/SjisText.h"

namespace sgry::sheets {

QString FromCp932(std::string_view cp932) {
    const std::string utf8 = sjis::ToUtf8(cp932);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> ToCp932(const QString& text) {
    return sjis::FromUtf8(text.toStdString());
}

QString CharactersWithoutCp932(const QString& text) {
    QString found;
    QSet<uint> seen;
    for (const uint codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        if (seen.contains(codePoint) || sjis::FromUtf8(character.toStdString())) continue;
        seen.insert(codePoint);
        found += character;
    }
    return found;
}

std::string NoCp932Message(const QString& fieldName, const QString& characters) {
    return QCoreApplication::translate("sgry::sheets",
                                       "\"%1\" contains characters that Shift-JIS cannot represent:\r\n%2\r\n\r\n"
                                       "Please remove them or replace them with other characters")
        .arg(fieldName, characters)
        .toStdString();
}

QString ToCrLf(const QString& plain) {
    QString text = plain;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return text;
}

QString FromCrLf(const QString& crlf) {
    QString text = crlf;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QColor ToQColor(int32_t bgr) {
    const auto value = static_cast<uint32_t>(bgr);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

int32_t FromQColor(const QColor& color) {
    return static_cast<int32_t>(static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
                                (static_cast<uint32_t>(color.blue()) << 16));
}

void PreferJapaneseFace(QWidget* widget) {
    static const QStringList japaneseFaces = {QStringLiteral("Noto Sans CJK JP"),
                                              QStringLiteral("Noto Sans JP"),
                                              QStringLiteral("IPAGothic")};
    QFont font = widget->font();
    QStringList families = font.families();
    if (families.isEmpty()) families << font.family();
    for (const QString& face : japaneseFaces)
        if (!families.contains(face) && QFontDatabase::hasFamily(face)) families << face;
    font.setFamilies(families);
    widget->setFont(font);
}

}  // namespace sgry::sheets
