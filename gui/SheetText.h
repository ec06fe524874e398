#pragma once
// The settings sheets' edge between the CP932 data strings of the settings
// and the Unicode text of the widgets, and small widget helpers shared by the
// pages. A character that CP932 cannot hold is refused, never dropped.
#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace sgry::sheets {

QString FromCp932(std::string_view cp932);
// Nothing when some character has no CP932 form.
std::optional<std::string> ToCp932(const QString& text);
// The characters of the text (each once, in order) that CP932 cannot hold.
QString CharactersWithoutCp932(const QString& text);
// "「%1」に使えない文字があります：…" naming the field and the characters.
std::string NoCp932Message(const QString& fieldName, const QString& characters);

// A multi-line edit's text with its line breaks as CR LF, and back.
QString ToCrLf(const QString& plain);
QString FromCrLf(const QString& crlf);

// 0x00BBGGRR (red in the lowest byte) to a colour and back.
QColor ToQColor(int32_t bgr);
int32_t FromQColor(const QColor& color);

// Gives the widget the object name of its control id ("1113") and returns it.
template <class Widget>
Widget* WithId(Widget* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

// Adds a Japanese face after the widget's own font family, so that Japanese
// labels never fall back to a Chinese face or to empty boxes.
void PreferJapaneseFace(QWidget* widget);

}  // namespace sgry::sheets
