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

// Two decimals, a dot, no separators: 0.00, 12.50, -3.20. Halves round away from zero on the
// decimal digits the value was typed with, so 2.675 gives 2.68 although its double lies below.
QString amountText(double value);
