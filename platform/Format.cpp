#include "platform/Format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace sgry {

long long FormatArg::integer() const {
    switch (type_) {
    case Type::Integer: return integer_;
    case Type::Real: return static_cast<long long>(real_);
    case Type::Text: return 0;
    }
    return 0;
}

double FormatArg::real() const {
    return type_ == Type::Integer ? static_cast<double>(integer_) : (type_ == Type::Real ? real_ : 0.0);
}

namespace {

struct Conversion {
    bool zeroPad = false;
    bool leftAlign = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
};

void Pad(std::string& out, std::string_view body, const Conversion& conv, bool numeric) {
    const int fill = conv.width - static_cast<int>(body.size());
    if (fill <= 0) {
        out += body;
        return;
    }
    if (conv.leftAlign) {
        out += body;
        out.append(static_cast<size_t>(fill), ' ');
    } else if (conv.zeroPad && numeric) {
        size_t signLen = (!body.empty() && (body[0] == '-' || body[0] == '+')) ? 1 : 0;
        out += body.substr(0, signLen);
        out.append(static_cast<size_t>(fill), '0');
        out += body.substr(signLen);
    } else {
        out.append(static_cast<size_t>(fill), ' ');
        out += body;
    }
}

// The digits of an integer conversion, written into buf.
std::string_view IntegerText(std::array<char, 32>& buf, const FormatArg& arg, char conversion) {
    const long long v = arg.integer();
    char* const first = buf.data();
    char* const last = buf.data() + buf.size();
    std::to_chars_result r{};
    if (conversion == 'x' || conversion == 'X') {
        r = std::to_chars(first, last, static_cast<unsigned long long>(v), 16);
        if (conversion == 'X')
            for (char* c = first; c != r.ptr; ++c)
                if (*c >= 'a' && *c <= 'f') *c = static_cast<char>(*c - 'a' + 'A');
    } else if (conversion == 'u') {
        r = std::to_chars(first, last, static_cast<unsigned long long>(v));
    } else {
        r = std::to_chars(first, last, v);
    }
    return std::string_view(first, static_cast<size_t>(r.ptr - first));
}

// A double in fixed notation needs at most 309 digits before the point.
using RealBuffer = std::array<char, 400>;

std::string_view RealText(RealBuffer& buf, double v, int precision) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, precision);
    return std::string_view(buf.data(), static_cast<size_t>(r.ptr - buf.data()));
}

}  // namespace

std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    static const FormatArg kMissing(0);
    auto take = [&]() -> const FormatArg& { return next == args.end() ? kMissing : *next++; };
    std::array<char, 32> digits;
    RealBuffer real;

    for (size_t i = 0; i < format.size(); ++i) {
        const size_t percent = std::min(format.find('%', i), format.size());
        out.append(format, i, percent - i);
        i = percent;
        if (i == format.size()) break;
        if (++i >= format.size()) break;
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        Conversion conv;
        for (; i < format.size() && (format[i] == '0' || format[i] == '-'); ++i)
            (format[i] == '0' ? conv.zeroPad : conv.leftAlign) = true;
        for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
            conv.width = conv.width * 10 + (format[i] - '0');
        if (i < format.size() && format[i] == '.') {
            conv.precision = 0;
            for (++i; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
                conv.precision = conv.precision * 10 + (format[i] - '0');
        }
        while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) ++i;
        if (i >= format.size()) break;
        conv.conversion = format[i];
        switch (conv.conversion) {
        case 'd': case 'i': case 'u': case 'x': case 'X':
            Pad(out, IntegerText(digits, take(), conv.conversion), conv, true);
            break;
        case 'f': case 'F':
            Pad(out, RealText(real, take().real(), conv.precision < 0 ? 6 : conv.precision), conv, true);
            break;
        case 's': {
            const FormatArg& a = take();
            std::string_view body = a.type() == FormatArg::Type::Text ? a.text()
                                  : a.type() == FormatArg::Type::Integer ? IntegerText(digits, a, 'd')
                                                                         : RealText(real, a.real(), 6);
            if (conv.precision >= 0 && body.size() > static_cast<size_t>(conv.precision))
                body = body.substr(0, static_cast<size_t>(conv.precision));
            Pad(out, body, conv, false);
            break;
        }
        case 'c': {
            const char c = static_cast<char>(take().integer());
            Pad(out, std::string_view(&c, 1), conv, false);
            break;
        }
        default:  // unknown conversion: keep it visible rather than guess
            out += '%';
            out += conv.conversion;
        }
    }
    return out;
}

std::string Fixed2(float value) {
    RealBuffer buf;
    return std::string(RealText(buf, static_cast<double>(value), 2));
}

}  // namespace sgry
