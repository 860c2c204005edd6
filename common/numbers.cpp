#include "numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

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

namespace {

// The number at the start of the text; *overflow tells a number too large for a double.
double readNumber(const QString &text, bool *overflow)
{
    *overflow = false;
    const QString s = foldFullWidth(text);
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\r' || s[i] == u'\n'))
        ++i;

    std::string number;
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        number += char(s[i++].unicode());
    qsizetype digits = 0;
    // Where the first significant digit stands: positive for that many whole digits, negative
    // for zeros after the point; with the exponent it tells overflow from underflow.
    qint64 magnitude = 0;
    bool significant = false;
    while (i < n && s[i].unicode() >= u'0' && s[i].unicode() <= u'9') {
        significant = significant || s[i] != u'0';
        magnitude += significant ? 1 : 0;
        number += char(s[i++].unicode());
        ++digits;
    }
    if (i < n && s[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && s[i].unicode() >= u'0' && s[i].unicode() <= u'9') {
            if (!significant && s[i] == u'0')
                --magnitude;
            significant = significant || s[i] != u'0';
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
            qint64 e = 0;
            while (j < n && s[j].unicode() >= u'0' && s[j].unicode() <= u'9') {
                e = std::min<qint64>(e * 10 + (s[j].unicode() - u'0'), 1000000);
                exponent += char(s[j++].unicode());
            }
            magnitude += exponent[1] == '-' ? -e : e;
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
        *overflow = magnitude > 0;
        return 0;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

} // namespace

double textToNumber(const QString &text)
{
    bool overflow = false;
    return readNumber(text, &overflow);
}

bool textToAmount(const QString &text, double *amount)
{
    bool overflow = false;
    const double value = readNumber(text, &overflow);
    qint64 cents = 0;
    if (overflow || !amountCents(value, &cents))
        return false;
    *amount = value;
    return true;
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

bool amountCents(double value, qint64 *cents)
{
    // Beyond 1e14 no value can round to an amount within the limit; the digits are not worked out.
    if (!std::isfinite(value) || std::fabs(value) >= 1e14)
        return false;
    // Far below half a cent the value is no cent at all; its fixed digits would not fit below.
    if (std::fabs(value) < 1e-3) {
        *cents = 0;
        return true;
    }
    // The shortest decimal that reads back as this double is the number as it was typed.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (ec != std::errc())
        return false;
    const std::string_view digits(buffer, std::size_t(end - buffer));
    const std::size_t point = digits.find('.');
    const std::string_view whole = digits.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : digits.substr(point + 1);
    qint64 n = 0;
    for (const char c : whole)
        n = n * 10 + (c - '0');
    for (std::size_t k = 0; k < 2; ++k)
        n = n * 10 + (k < fraction.size() ? fraction[k] - '0' : 0);
    if (fraction.size() > 2 && fraction[2] >= '5')
        ++n;
    if (n > amountLimitCents)
        return false;
    *cents = value < 0 ? -n : n;
    return true;
}

QString amountText(double value)
{
    qint64 cents = 0;
    if (!amountCents(value, &cents))
        return amountOutOfRangeText;
    return centsText(cents);
}

QString centsText(__int128 cents)
{
    unsigned __int128 n = cents < 0 ? -(unsigned __int128)(cents) : (unsigned __int128)(cents);
    char buffer[48];
    char *p = buffer + sizeof buffer;
    int place = 0;
    do {
        if (place++ == 2)
            *--p = '.';
        *--p = char('0' + int(n % 10));
        n /= 10;
    } while (n != 0 || place < 3);
    if (cents < 0)
        *--p = '-';
    return QString::fromLatin1(p, qsizetype(buffer + sizeof buffer - p));
}

bool amountTextCents(const QString &text, qint64 *cents)
{
    if (text == amountOutOfRangeText)
        return false;
    return amountCents(textToNumber(text), cents);
}

void AmountTotal::add(const QString &amountText)
{
    qint64 c = 0;
    if (amountTextCents(amountText, &c))
        cents += c;
    else
        known = false;
}
