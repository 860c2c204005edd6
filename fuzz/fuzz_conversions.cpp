// The number, amount, date and text conversions, each checked against what it promises: amounts
// read back as they were written, dates survive their texts and serials, GBK text survives the
// way out and back, and a quoted text reaches a statement as exactly one value.
#include "fuzzsupport.h"

#include "common/datetext.h"
#include "common/gbk.h"
#include "common/numbers.h"
#include "common/sqltext.h"
#include "dataaccess/jetdialect.h"

#include <QRegularExpression>

#include <cmath>
#include <cstring>

namespace {

void checkNumbers(const QString &text)
{
    const QString folded = foldFullWidth(text);
    FUZZ_CHECK(foldFullWidth(folded) == folded, text);
    for (const QChar c : folded)
        FUZZ_CHECK(!(c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E) && c.unicode() != 0x3000, text);

    const double value = textToNumber(text);
    FUZZ_CHECK(std::isfinite(value), text);
    FUZZ_CHECK(textToNumber(folded) == value, text);
    const qint64 whole = textToInteger(text);
    FUZZ_CHECK(whole == truncateToInteger(value), text);
    if (std::fabs(value) < 9e18) {
        FUZZ_CHECK(std::fabs(value - double(whole)) < 1.0, text);
        FUZZ_CHECK(whole == 0 || (whole > 0) == (value > 0), text);
    }

    static const QRegularExpression amountForm(QStringLiteral("^-?(0|[1-9][0-9]*)\\.[0-9][0-9]$"));
    const QString amount = amountText(value);
    // Beyond the ledger's range, or no number at all, an amount shows no figure rather than a wrong one.
    if (!std::isfinite(value) || std::fabs(value) > amountLimit + 0.005) {
        FUZZ_CHECK(amount == amountOutOfRangeText || std::fabs(value) <= amountLimit + 0.01, text + QStringLiteral(" -> ") + amount);
        return;
    }
    FUZZ_CHECK(amountForm.match(amount).hasMatch(), text + QStringLiteral(" -> ") + amount);
    FUZZ_CHECK(amount != QStringLiteral("-0.00"), text);
    // Rounding to cents moves a value by half a cent at most, and rounding again changes nothing.
    const double back = textToNumber(amount);
    FUZZ_CHECK(std::fabs(back - value) <= 0.005 + std::fabs(value) * 1e-15, text + QStringLiteral(" -> ") + amount);
    FUZZ_CHECK(amountText(back) == amount, text + QStringLiteral(" -> ") + amount);
    FUZZ_CHECK(isZeroAmount(value) + isPositiveAmount(value) + isNegativeAmount(value) == 1, text);
}

// An amount typed with at most two decimals comes back exactly as typed.
void checkCents(const uint8_t *data, size_t size)
{
    qint64 cents = 0;
    std::memcpy(&cents, data, std::min(size, sizeof cents));
    cents %= 1000000000000000; // up to fifteen digits, all of which a double holds
    const qint64 units = cents / 100;
    const qint64 rest = std::llabs(cents % 100);
    const QString typed = (cents < 0 ? QStringLiteral("-") : QString()) + QString::number(std::llabs(units)) + u'.'
        + QStringLiteral("%1").arg(rest, 2, 10, QLatin1Char('0'));
    const QString expected = cents == 0 ? QStringLiteral("0.00") : typed;
    FUZZ_CHECK(amountText(textToNumber(typed)) == expected, typed + QStringLiteral(" -> ") + amountText(textToNumber(typed)));
}

void checkDates(const QString &text, const QByteArray &bytes)
{
    bool ok = false;
    const QDateTime parsed = parseDateText(text, &ok);
    QDate day;
    QTime time;
    const bool stored = parseStoredDate(bytes.constData(), int(bytes.size()), &day, &time);
    bool storedOk = false;
    const QDateTime storedWhole = parseStoredDate(bytes.constData(), int(bytes.size()), &storedOk);
    FUZZ_CHECK(stored == storedOk, text);
    if (storedOk)
        FUZZ_CHECK(storedWhole.date() == day && storedWhole.time() == time, text);
    // The stored forms are a short cut: wherever the general reading also reads the text, they agree.
    if (ok && stored && QString::fromUtf8(bytes) == text)
        FUZZ_CHECK(parsed.date() == day && parsed.time() == time, text);
    if (!ok)
        return;
    FUZZ_CHECK(parsed.date().isValid() && parsed.time().isValid(), text);
    FUZZ_CHECK(parsed.date().year() >= 100 && parsed.date().year() <= 9999, text);
    const QDate d = parsed.date();
    const QTime t = parsed.time();

    // Every written form that carries both day and time reads back as the same moment.
    for (int format : {0, 7}) {
        const QString written = dateText(parsed, format);
        FUZZ_CHECK(!written.isEmpty(), text);
        if (format == 0) {
            bool again = false;
            const QDateTime back = parseDateText(written, &again);
            FUZZ_CHECK(again && back.date() == d && back.time() == QTime(t.hour(), t.minute(), t.second()),
                       text + QStringLiteral(" -> ") + written);
        }
    }
    for (int format = 0; format <= 9; ++format)
        FUZZ_CHECK(!dateText(parsed, format).isEmpty(), text);
    FUZZ_CHECK(dateText(parsed, 10).isEmpty() && dateText(parsed, -1).isEmpty(), text);

    const QString canonical = canonicalDateText(parsed);
    const QByteArray canonicalBytes = canonical.toUtf8();
    QDate cd;
    QTime ct;
    FUZZ_CHECK(parseStoredDate(canonicalBytes.constData(), int(canonicalBytes.size()), &cd, &ct), canonical);
    FUZZ_CHECK(cd == d && ct == QTime(t.hour(), t.minute(), t.second()), text + QStringLiteral(" -> ") + canonical);

    bool serialOk = false;
    const double serial = dateToSerial(parsed);
    const QDateTime fromSerial = serialToDate(serial, &serialOk);
    FUZZ_CHECK(serialOk, text);
    FUZZ_CHECK(fromSerial.date() == d && fromSerial.time() == QTime(t.hour(), t.minute(), t.second()),
               text + QStringLiteral(" -> ") + QString::number(serial, 'g', 17) + QStringLiteral(" -> ")
                   + canonicalDateText(fromSerial));
}

void checkSerial(const uint8_t *data, size_t size)
{
    double serial = 0;
    std::memcpy(&serial, data, std::min(size, sizeof serial));
    bool ok = false;
    const QDateTime when = serialToDate(serial, &ok);
    if (!ok)
        return;
    FUZZ_CHECK(when.date().isValid() && when.time().isValid() && when.time().msec() == 0, QString::number(serial, 'g', 17));
    // The moment survives its serial. The serial itself does too, kept to the second, except
    // between -1 and 0, where -0.25 and 0.25 both name 06:00 of the first day.
    bool again = false;
    FUZZ_CHECK(serialToDate(dateToSerial(when), &again) == when && again,
               QString::number(serial, 'g', 17) + QStringLiteral(" -> ") + canonicalDateText(when));
    if (serial >= 0 || serial <= -1)
        FUZZ_CHECK(std::fabs(dateToSerial(when) - serial) <= 0.5 / 86400 + std::fabs(serial) * 1e-15,
                   QString::number(serial, 'g', 17) + QStringLiteral(" -> ") + canonicalDateText(when));
}

void checkGbk(const QString &text, const QByteArray &bytes, qsizetype limit)
{
    // Every Unicode character has GB18030 bytes: the text survives the way out and back.
    const QByteArray out = toGbk(text);
    FUZZ_CHECK(fromGbk(out) == text, text);

    // The prefix cuts at a character boundary, as long as it may be.
    const QByteArray prefix = gbkPrefix(out, limit);
    FUZZ_CHECK(prefix.size() <= std::max<qsizetype>(limit, 0) || out.size() <= limit, text);
    FUZZ_CHECK(out.startsWith(prefix), text);
    QString kept;
    qsizetype used = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const qsizetype next = used + toGbk(text.mid(i, n)).size();
        if (next > limit)
            break;
        used = next;
        kept += text.mid(i, n);
        i += n;
    }
    FUZZ_CHECK(out.size() <= limit ? prefix == out : fromGbk(prefix) == kept,
               text + QStringLiteral(" limit ") + QString::number(limit));

    // Any bytes read as some text; a whole prefix of them reads as a prefix of that text.
    const QString read = fromGbk(bytes);
    const QByteArray cut = gbkPrefix(bytes, limit);
    FUZZ_CHECK(bytes.startsWith(cut) && (cut.size() <= limit || bytes.size() <= limit), QString::fromLatin1(bytes.toHex()));
    Q_UNUSED(read);
}

QList<JetColumn> noColumns(const QString &)
{
    return {};
}

void checkQuoting(const QString &text)
{
    const QString quoted = quoteText(text);
    FUZZ_CHECK(quoted.size() >= 2 && quoted.startsWith(u'\'') && quoted.endsWith(u'\''), text);
    FUZZ_CHECK(quoted.mid(1, quoted.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")) == text, text);
    // Whatever the text holds, the statement around it stays one statement with one value.
    const JetStatement s = translateJet(QStringLiteral("select * from rysj where ry=") + quoted, noColumns);
    FUZZ_CHECK(s.error.isEmpty(), text + QStringLiteral(": ") + s.error);
    FUZZ_CHECK(s.sql == QStringLiteral("select * from rysj where ry=?"), text + QStringLiteral(" -> ") + s.sql);
    FUZZ_CHECK(s.values.size() == 1 && s.values.first().toString() == text, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::programFolder();
    if (size == 0)
        return 0;
    // The first byte picks the conversion, so each keeps a corpus of its own shape.
    const uint8_t which = data[0] % 6;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString text = QString::fromUtf8(bytes);
    switch (which) {
    case 0:
        checkNumbers(text);
        break;
    case 1:
        checkCents(data + 1, size - 1);
        checkSerial(data + 1, size - 1);
        break;
    case 2:
        checkDates(text, bytes);
        break;
    case 3:
        checkGbk(text, bytes, size > 1 ? data[1] % 64 : 0);
        break;
    case 4:
        checkQuoting(text);
        break;
    case 5:
        // The same text through every conversion.
        checkNumbers(text);
        checkDates(text, bytes);
        checkGbk(text, bytes, 16);
        checkQuoting(text);
        break;
    }
    return 0;
}
