#pragma once
// Numbers as the ledger reads and writes them: typed text to a number, whole numbers, the zero
// tolerance of amounts, and the one amount text used in lists, labels, printouts and statements.
#include <QString>

// Full-width ASCII forms and the ideographic space, as a Chinese input method types them, become ASCII.
QString foldFullWidth(const QString &text);

// The decimal number at the start of the text (blanks skipped, sign, digits, point, exponent);
// whatever follows is ignored. Empty, non-numeric or out-of-range text gives 0.
double textToNumber(const QString &text);

// Truncation toward zero, held inside the 64-bit range.
qint64 truncateToInteger(double value);
qint64 textToInteger(const QString &text);

// Sign decisions on amounts treat anything within this distance of zero as zero.
constexpr double amountTolerance = 0.0000001;
bool isZeroAmount(double value);
bool isPositiveAmount(double value);
bool isNegativeAmount(double value);

// The largest amount the ledger keeps, to the cent. Amount columns are doubles, which hold every
// decimal of fifteen significant digits exactly; Jet's Currency bound, 922337203685477.58, would
// not survive them (its last cents read back as .60).
constexpr double amountLimit = 9999999999999.99;
constexpr qint64 amountLimitCents = 999999999999999;
inline const QString amountLimitText = QStringLiteral("9999999999999.99");

// The amount a text holds when it is one the ledger keeps: false for a number beyond the limit,
// however it was written ("1e308", "1e999"). Texts without a number are 0, as textToNumber reads them.
bool textToAmount(const QString &text, double *amount);

// The value in whole cents as amountText rounds it; false when it is not finite or lies beyond
// the limit once rounded.
bool amountCents(double value, qint64 *cents);

// Two decimals, a dot, no separators: 0.00, 12.50, -3.20. Halves round away from zero on the
// decimal digits the value was typed with, so 2.675 gives 2.68 although its double lies below.
// A value beyond the limit, or no number at all, shows amountOutOfRangeText rather than a figure
// that could be wrong: a double that large no longer tells its cents.
QString amountText(double value);
inline const QString amountOutOfRangeText = QStringLiteral("超出范围");

// Exact two-decimal text of a count of cents, of any size: totals over many amounts.
QString centsText(__int128 cents);
// The cents of a text amountText wrote; false for amountOutOfRangeText.
bool amountTextCents(const QString &text, qint64 *cents);

// The total of amount texts as lists show them, in whole cents: exact for any number of amounts
// (128 bits hold the sum of more amounts than any ledger holds). An amount that shows no figure
// leaves the total without one.
struct AmountTotal
{
    __int128 cents = 0;
    bool known = true;

    void add(const QString &amountText);
    QString text() const { return known ? centsText(cents) : amountOutOfRangeText; }
};
