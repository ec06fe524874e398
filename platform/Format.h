#pragma once
// Locale-independent text formatting for every number that goes into a PDF,
// the settings file or a message. The C library's printf family follows the
// process locale (a decimal comma under de_DE), so nothing here calls it.
//
// Supported conversions (exactly what the file formats use):
//   %d %i %ld %u %x %X with optional '0' flag and width (e.g. %010ld, %05d, %02X)
//   %f %.Nf with optional width, rounded as the C library does in the C locale
//   %s %c %%
// Length modifiers (l, ll, h) are accepted and ignored. An argument of the
// wrong type for its conversion is converted (an integer for %f, a number for %s).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/Translation.h"

namespace sgry {

class FormatArg {
public:
    enum class Type { Integer, Real, Text };

    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    FormatArg(T v) : type_(Type::Integer), integer_(static_cast<long long>(v)) {}
    FormatArg(float v) : type_(Type::Real), real_(static_cast<double>(v)) {}
    FormatArg(double v) : type_(Type::Real), real_(v) {}
    FormatArg(std::string_view v) : type_(Type::Text), text_(v) {}
    FormatArg(const std::string& v) : type_(Type::Text), text_(v) {}
    FormatArg(const char* v) : type_(Type::Text), text_(v ? v : "") {}
    FormatArg(const Translatable& v) : FormatArg(v.Text()) {}

    Type type() const { return type_; }
    long long integer() const;
    double real() const;
    std::string_view text() const { return text_; }

private:
    Type type_;
    long long integer_ = 0;
    double real_ = 0.0;
    std::string_view text_;
};

std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args>
std::string Format(std::string_view format, const Args&... args) {
    return FormatList(format, {FormatArg(args)...});
}

// "%.2f" of a single-precision value widened to double: the form of every
// coordinate, colour component and real in the written PDF.
std::string Fixed2(float value);

}  // namespace sgry
