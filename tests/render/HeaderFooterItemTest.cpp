#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "pdf/PdfFont.h"
#include "platform/SjisText.h"
#include "render/HeaderFooterItem.h"

namespace sgry {
namespace {

PageEntry Page(int32_t width, int32_t height, int32_t rotation, int32_t label = 1) {
    PageEntry page;
    page.width = width;
    page.height = height;
    page.rotation = rotation;
    page.label = label;
    page.ordinal = 1;
    return page;
}

const PageEntry kA4 = Page(595, 842, 0);

std::string Cp932(const char* utf8) {
    const std::optional<std::string> bytes = sjis::FromUtf8(utf8);
    EXPECT_TRUE(bytes.has_value()) << utf8;
    return bytes.value_or("");
}

std::tm Moment(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

std::string TextObject(const std::string& font, const std::string& size, const std::string& colour,
                       const std::string& matrix, const std::string& show) {
    return "BT\r\n0 Tc\r\n0 Tr\r\n" + font + " " + size + " Tf\r\n" + colour + " rg\r\n" + matrix + "Tm\r\n" +
           show + "ET\r\n";
}

TEST(HeaderFooterItemTest, PageNumberIsMeasuredForCentreAndRight) {
    StampSettings settings;
    settings.Slots[4].StylePointSize = 100;  // 10 points: Courier is 6 points a character
    settings.Slots[5].StylePointSize = 100;
    settings.Slots[5].StyleColor = 0x0080FF;  // red 255, green 128, blue 0
    const auto courier = MakePdfFont("Courier");
    PageNumberItem item(settings, 1);
    const PageEntry third = Page(595, 842, 0, 3);
    item.Set(0, PageNumberFormat::Plain, third, "/F1", *courier);
    EXPECT_EQ(item.Generate(), TextObject("/F1", "10.50", "0.00 0.00 0.00",
                                          "1.00 0.00 0.00 1.00 28.35 807.51 ", "(3) Tj\r\n"));
    const PageEntry page = Page(595, 842, 0, 5);
    item.Set(4, PageNumberFormat::OfTotal, page, "/UK1", *courier);
    // "5/1" is 18 points wide: 297 - 9.
    EXPECT_EQ(item.Generate(), TextObject("/UK1", "10.00", "0.00 0.00 0.00",
                                          "1.00 0.00 0.00 1.00 288.00 28.35 ", "(5/1) Tj\r\n"));
    item.Set(5, PageNumberFormat::OfTotal, page, "/UK2", *courier);
    EXPECT_EQ(item.Generate(), TextObject("/UK2", "10.00", "1.00 0.50 0.00",
                                          "1.00 0.00 0.00 1.00 548.65 28.35 ", "(5/1) Tj\r\n"));
}

struct PageNumberRow {
    const char* name;
    PageNumberFormat format;
    int32_t label;
    int32_t count;
    const char* expected;
};

TEST(HeaderFooterItemTest, PageNumberFormats) {
    const std::vector<PageNumberRow> rows = {
        {"plain", PageNumberFormat::Plain, 3, 12, "3"},
        {"dashed", PageNumberFormat::Dashed, 3, 12, "-3-"},
        {"of total", PageNumberFormat::OfTotal, 3, 12, "3/12"},
        {"dashed of total", PageNumberFormat::DashedOfTotal, 3, 12, "-3/12-"},
        {"unknown format prints the number", static_cast<PageNumberFormat>(9), 3, 12, "3"},
        {"page 1 of 1", PageNumberFormat::OfTotal, 1, 1, "1/1"},
        // Start value 5: the total is still the document's page count.
        {"start value 5 on page 1 of 1", PageNumberFormat::OfTotal, 5, 1, "5/1"},
        {"negative start value", PageNumberFormat::Dashed, -2, 4, "--2-"},
    };
    for (const PageNumberRow& row : rows) {
        EXPECT_EQ(PageNumberItem::PageNumberText(row.format, row.label, row.count), row.expected) << row.name;
    }
}

struct DateRow {
    const char* name;
    DateFormat format;
    const char* expected;
};

TEST(HeaderFooterItemTest, DateFormats) {
    const std::tm moment = Moment(2026, 3, 7, 9, 5);
    const std::vector<DateRow> rows = {
        {"date", DateFormat::Date, "2026/03/07"},
        {"time", DateFormat::Time, "09:05"},
        {"date and time", DateFormat::DateTime, "2026/03/07 09:05"},
        {"index 7 prints the date only", static_cast<DateFormat>(7), "2026/03/07"},
    };
    for (const DateRow& row : rows)
        EXPECT_EQ(DateTimeItem::DateText(row.format, moment), row.expected) << row.name;
}

TEST(HeaderFooterItemTest, DateIsReadForEveryGeneratedText) {
    StampSettings settings;
    int calls = 0;
    DateTimeItem item(settings, [&calls] {
        ++calls;
        return Moment(2026, 12, 31, 23, 58 + calls);
    });
    const auto helvetica = MakePdfFont("Helvetica");
    item.Set(3, DateFormat::Time, kA4, "/F2", *helvetica);
    EXPECT_EQ(item.Generate(), TextObject("/F2", "10.50", "0.00 0.00 0.00",
                                          "1.00 0.00 0.00 1.00 28.35 28.35 ", "(23:59) Tj\r\n"));
    EXPECT_NE(item.Generate().find("(23:60) Tj\r\n"), std::string::npos);
    EXPECT_EQ(calls, 2);
}

TEST(HeaderFooterItemTest, LocalTimeFollowsTheTimeZone) {
    const char* saved = std::getenv("TZ");
    const std::string savedValue = saved ? saved : "";
    for (const auto& [zone, expected] :
         {std::pair{"UTC0", "1970/01/02 01:02"}, std::pair{"JST-9", "1970/01/02 10:02"}}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(DateTimeItem::DateText(DateFormat::DateTime, LocalTimeAt(86400 + 3600 + 120)), expected)
            << zone;
    }
    if (saved) {
        setenv("TZ", savedValue.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(HeaderFooterItemTest, LiteralTextEscaping) {
    // Balanced parentheses keep their bytes; lone ones and backslashes are escaped.
    const std::pair<const char*, const char*> rows[] = {
        {"Sigilry 1.08", "Sigilry 1.08"},
        {"Draft (v2) (a(b)c)", "Draft (v2) (a(b)c)"},
        {"C:\\tmp", "C:\\\\tmp"},
        {"a(b", "a\\(b"},
        {"a)b", "a\\)b"},
        {")x(", "\\)x\\("},
        {"(a))", "(a)\\)"},
        {"((a)", "\\((a)"},
        {"\\(", "\\\\\\("},
        {"", ""},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(EscapeLiteralText(text), expected) << text;
}

TEST(HeaderFooterItemTest, TextIsMeasuredAsShownAndCutAtEightyCharacters) {
    std::string longText, longHex = "<";
    for (int i = 0; i < 81; ++i) longText += Cp932("あ");
    for (int i = 0; i < 80; ++i) longHex += "3042";
    const struct {
        const char* name;
        int slot;
        int32_t size;
        std::string text;
        const char* font;
        const char* tf;
        const char* position;
        std::string show;
    } rows[] = {
        // Three characters shown (18 points) although four bytes are written.
        {"escaped backslash", 2, 100, "a\\b", "Courier", "10.00", "548.65 807.80", "(a\\\\b) Tj\r\n"},
        {"balanced parentheses", 2, 100, "(ok)", "Courier", "10.00", "542.65 807.80", "((ok)) Tj\r\n"},
        // Three full-width characters of 10.5 points: 297 - 15.75.
        {"Japanese in hexadecimal", 1, 105, Cp932("社外秘"), "KozMinPro-Regular", "10.50", "281.25 807.51",
         "<793E591679D8> Tj\r\n"},
        // 80 characters of 10 points are shown and measured: 297 - 400.
        {"long Japanese cut", 4, 100, longText, "KozMinPro-Regular", "10.00", "-103.00 28.35",
         longHex + "> Tj\r\n"},
    };
    for (const auto& row : rows) {
        StampSettings settings;
        settings.Slots[static_cast<std::size_t>(row.slot)].StylePointSize = row.size;
        const auto font = MakePdfFont(row.font);
        TextItem item(settings);
        item.Set(row.slot, row.text, kA4, "/F1", *font);
        EXPECT_EQ(item.Generate(),
                  TextObject("/F1", row.tf, "0.00 0.00 0.00",
                             std::string("1.00 0.00 0.00 1.00 ") + row.position + " ", row.show))
            << row.name;
    }
}

TEST(HeaderFooterItemTest, ItemsProduceNothingBeforeSet) {
    StampSettings settings;
    EXPECT_EQ(PageNumberItem(settings, 1).Generate(), "");
    EXPECT_EQ(DateTimeItem(settings).Generate(), "");
    EXPECT_EQ(TextItem(settings).Generate(), "");
}

TEST(HeaderFooterItemTest, MarginsAreCopiedWhenTheItemIsCreated) {
    StampSettings settings;
    const auto courier = MakePdfFont("Courier");
    TextItem item(settings);
    settings.Margin = {0.0f, 0.0f, 0.0f, 0.0f};
    item.Set(3, "x", kA4, "/F1", *courier);
    EXPECT_NE(item.Generate().find("28.35 28.35 Tm"), std::string::npos);
}

struct BorderRow {
    const char* name;
    PageEntry page;
    int which;
    std::array<int32_t, 3> sizes;  // tenths of a point of the row's three slots
    const char* expected;
};

TEST(HeaderFooterItemTest, BorderLines) {
    const std::vector<BorderRow> rows = {
        // 28.35 + 6.14 + 5
        {"footer", kA4, 1, {105, 105, 105}, "0 0 0 RG\r\n0.75 w\r\n28.35 39.49 m\r\n566.65 39.49 l\r\nS\r\n"},
        {"header",
         kA4,
         0,
         {105, 105, 105},
         "0 0 0 RG\r\n0.75 w\r\n28.35 802.51 m\r\n566.65 802.51 l\r\nS\r\n"},
        {"tallest slot counts",
         kA4,
         1,
         {105, 200, 0},
         "0 0 0 RG\r\n0.75 w\r\n28.35 45.05 m\r\n566.65 45.05 l\r\nS\r\n"},
        {"all sizes zero",
         kA4,
         1,
         {0, 0, 0},
         "0 0 0 RG\r\n0.75 w\r\n28.35 33.35 m\r\n566.65 33.35 l\r\nS\r\n"},
        // Frame 792 x 612: view (x, y) lands at (612 - y, x).
        {"footer, quarter turn",
         Page(612, 792, 90),
         1,
         {105, 105, 105},
         "0 0 0 RG\r\n0.75 w\r\n572.51 28.35 m\r\n572.51 763.65 l\r\nS\r\n"},
        {"footer, quarter back",
         Page(612, 792, -90),
         1,
         {105, 105, 105},
         "0 0 0 RG\r\n0.75 w\r\n39.49 763.65 m\r\n39.49 28.35 l\r\nS\r\n"},
        {"header, half turn",
         Page(595, 842, 180),
         0,
         {105, 105, 105},
         "0 0 0 RG\r\n0.75 w\r\n566.65 39.49 m\r\n28.35 39.49 l\r\nS\r\n"},
        {"no third row", kA4, 2, {105, 105, 105}, ""},
    };
    for (const BorderRow& row : rows) {
        StampSettings settings;
        const int first = row.which == 0 ? 0 : 3;
        for (int i = 0; i < 3; ++i)
            settings.Slots[static_cast<std::size_t>(first + i)].StylePointSize = row.sizes[i];
        // The other row's sizes must not count.
        for (int i = 0; i < 3; ++i)
            settings.Slots[static_cast<std::size_t>(3 - first + i)].StylePointSize = 900;
        EXPECT_EQ(BorderLine(settings).Generate(row.page, row.which), row.expected) << row.name;
    }
}

}  // namespace
}  // namespace sgry
