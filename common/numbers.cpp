#include "numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

QString foldFullWidth(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            c = QChar(u' ');
    }
    return folded;
}

double textToNumber(const QString &text)
{
    const QString s = foldFullWidth(text);
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\r' || s[i] == u'\n'))
        ++i;

    std::string number;
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        number += char(s[i++].unicode());
    qsizetype digits = 0;
    while (i < n && s[i].unicode() >= u'0' && s[i].unicode() <= u'9') {
        number += char(s[i++].unicode());
        ++digits;
    }
    if (i < n && s[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && s[i].unicode() >= u'0' && s[i].unicode() <= u'9') {
            number += char(s[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when at least one digit follows it ("1e" is 1).
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (s[j] == u'+' || s[j] == u'-'))
            exponent += char(s[j++].unicode());
        if (j < n && s[j].unicode() >= u'0' && s[j].unicode() <= u'9') {
            while (j < n && s[j].unicode() >= u'0' && s[j].unicode() <= u'9')
                exponent += char(s[j++].unicode());
            number += exponent;
        }
    }

    const char *first = number.data();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; a number too large for a double is not an amount anyone typed.
        return 0;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

qint64 truncateToInteger(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double t = std::trunc(value);
    constexpr double limit = 9223372036854775807.0;
    if (t >= limit)
        return std::numeric_limits<qint64>::max();
    if (t <= -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(t);
}

qint64 textToInteger(const QString &text)
{
    return truncateToInteger(textToNumber(text));
}

bool isZeroAmount(double value)
{
    return std::fabs(value) <= amountTolerance;
}

bool isPositiveAmount(double value)
{
    return value > amountTolerance;
}

bool isNegativeAmount(double value)
{
    return value < -amountTolerance;
}

QString amountText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0.00");
    // The shortest decimal that reads back as this double is the number as it was typed.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (ec != std::errc())
        return QStringLiteral("0.00");
    std::string digits(buffer, end);
    const std::size_t point = digits.find('.');
    std::string whole = point == std::string::npos ? digits : digits.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
    fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');

    const bool roundUp = fraction[2] >= '5';
    std::string kept = whole + fraction.substr(0, 2);
    if (roundUp) {
        int k = int(kept.size()) - 1;
        while (k >= 0 && kept[k] == '9')
            kept[k--] = '0';
        if (k >= 0)
            ++kept[k];
        else
            kept.insert(kept.begin(), '1');
    }
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    std::string text = kept.substr(0, kept.size() - 2);
    if (text.empty())
        text = "0";
    text += '.';
    text += kept.substr(kept.size() - 2);
    if (value < 0 && !zero)
        text.insert(text.begin(), '-');
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}
