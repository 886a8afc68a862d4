#include "Platform/TextForm.h"

#include <charconv>
#include <cmath>
#include <string>

namespace zorbel::text {

namespace {

// Shortest digits that read back to the same value, laid out the way the
// original platform prints floating-point numbers: plain between 1e-4 and
// 2^53 (with ".0" for whole numbers), exponent form outside ("1e-05", "1e+16").
template <class F>
QString shortest(F value)
{
    if (std::isnan(value)) return QStringLiteral("nan");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    if (value == 0) return std::signbit(value) ? QStringLiteral("-0.0") : QStringLiteral("0.0");

    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string sci(buf, res.ptr);
    // sci is like "-1.2345e+03": split mantissa digits and exponent.
    const auto ePos = sci.find('e');
    const int exponent = std::stoi(sci.substr(ePos + 1));
    std::string mantissa = sci.substr(0, ePos);
    const bool negative = !mantissa.empty() && mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits;
    for (char c : mantissa)
        if (c != '.') digits += c;

    const double magnitude = std::fabs(static_cast<double>(value));
    std::string out;
    if (magnitude < 1e-4 || magnitude >= 9007199254740992.0) {
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += exp;
    } else if (exponent < 0) {
        out = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto intLen = static_cast<size_t>(exponent + 1);
        if (digits.size() <= intLen) {
            out = digits + std::string(intLen - digits.size(), '0') + ".0";
        } else {
            out = digits.substr(0, intLen) + "." + digits.substr(intLen);
        }
    }
    if (negative) out.insert(out.begin(), '-');
    return QString::fromStdString(out);
}

}  // namespace

QString number(double value) { return shortest(value); }
QString number(float value) { return shortest(value); }
QString integer(long long value) { return QString::number(value); }
QString boolean(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

QString point(const QPointF& p)
{
    return QLatin1Char('(') + number(p.x()) + QStringLiteral(", ") + number(p.y()) + QLatin1Char(')');
}

QString size(const QSizeF& s)
{
    return QLatin1Char('(') + number(s.width()) + QStringLiteral(", ") + number(s.height()) + QLatin1Char(')');
}

QString rect(const QRectF& r)
{
    return QLatin1Char('(') + number(r.x()) + QStringLiteral(", ") + number(r.y()) + QStringLiteral(", ") +
           number(r.width()) + QStringLiteral(", ") + number(r.height()) + QLatin1Char(')');
}

QString optionalPoint(const std::optional<QPointF>& p)
{
    return p ? QStringLiteral("Optional(") + point(*p) + QLatin1Char(')') : QStringLiteral("nil");
}

}  // namespace zorbel::text
