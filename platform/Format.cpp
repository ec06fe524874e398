#include "platform/Format.h"

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

std::string IntegerText(const FormatArg& arg, char conversion) {
    char buf[32];
    long long v = arg.integer();
    std::to_chars_result r{};
    if (conversion == 'x' || conversion == 'X') {
        r = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned long long>(v), 16);
        std::string s(buf, r.ptr);
        if (conversion == 'X')
            for (char& c : s)
                if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        return s;
    }
    if (conversion == 'u')
        r = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned long long>(v));
    else
        r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string RealText(double v, int precision) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string FormatList(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(format.size() + 16);
    auto next = args.begin();
    static const FormatArg kMissing(0);
    auto take = [&]() -> const FormatArg& { return next == args.end() ? kMissing : *next++; };

    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
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
            Pad(out, IntegerText(take(), conv.conversion), conv, true);
            break;
        case 'f': case 'F':
            Pad(out, RealText(take().real(), conv.precision < 0 ? 6 : conv.precision), conv, true);
            break;
        case 's': {
            const FormatArg& a = take();
            std::string body = a.type() == FormatArg::Type::Text ? std::string(a.text())
                             : a.type() == FormatArg::Type::Integer ? IntegerText(a, 'd')
                                                                    : RealText(a.real(), 6);
            if (conv.precision >= 0 && body.size() > static_cast<size_t>(conv.precision))
                body.resize(static_cast<size_t>(conv.precision));
            Pad(out, body, conv, false);
            break;
        }
        case 'c':
            Pad(out, std::string(1, static_cast<char>(take().integer())), conv, false);
            break;
        default:  // unknown conversion: keep it visible rather than guess
            out += '%';
            out += conv.conversion;
        }
    }
    return out;
}

std::string Fixed2(float value) { return RealText(static_cast<double>(value), 2); }

}  // namespace sgry
