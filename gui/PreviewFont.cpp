#include "gui/PreviewFont.h"

#include <QStringList>
#include <cstdlib>

namespace sgry {
namespace {

struct PreviewFace {
    std::string_view pdfName;
    const char* faces;  // '|'-separated, the desktop face first
    bool serif;         // which Japanese face follows: Mincho (serif) or Gothic
};

// "ZapfDingbats" is looked up under its own name: a misspelt face would
// silently fall back to an ordinary text font.
constexpr PreviewFace kPreviewFaces[] = {
    {"Courier", "Courier|Nimbus Mono PS|Liberation Mono|DejaVu Sans Mono", false},
    {"Helvetica", "Helvetica|Nimbus Sans|Liberation Sans|Arial", false},
    {"Symbol", "Symbol|Standard Symbols PS", false},
    {"Times-Roman", "Times New Roman|Nimbus Roman|Liberation Serif", true},
    {"ZapfDingbats", "ZapfDingbats|D050000L|Dingbats", false},
    {"HeiseiMin-W3", "ＭＳ 明朝|MS Mincho", true},
    {"HeiseiKakuGo-W5", "ＭＳ ゴシック|MS Gothic", false},
    {"HeiseiPMin-W3", "ＭＳＰ 明朝|MS PMincho", true},
    {"HeiseiKakuPGo-W5", "ＭＳＰ ゴシック|MS PGothic", false},
    {"KozMinPro-Regular", "小塚明朝|Kozuka Mincho Pro", true},
};

const QStringList& JapaneseFallbacks(bool serif) {
    static const QStringList mincho = {QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAMincho"),
                                       QStringLiteral("Noto Sans CJK JP")};
    static const QStringList gothic = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")};
    return serif ? mincho : gothic;
}

}  // namespace

std::optional<QFont> MakePreviewFont(std::string_view pdfFontName, int height) {
    for (const PreviewFace& face : kPreviewFaces) {
        if (face.pdfName != pdfFontName) continue;
        QStringList families = QString::fromUtf8(face.faces).split(QChar(u'|'));
        families << JapaneseFallbacks(face.serif);
        QFont font;
        font.setFamilies(families);
        if (height != 0) font.setPixelSize(std::abs(height));
        font.setWeight(QFont::Normal);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(false);
        return font;
    }
    return std::nullopt;
}

}  // namespace sgry
