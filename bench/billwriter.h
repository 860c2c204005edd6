#pragma once
// A WeChat Pay CSV bill of a household's month after month of payments, written for the bill
// benchmark and for looking at the import window on a long bill; the same rows every time.
#include <QString>

// Writes rows trades from 2024-01-01 on, a few a day: shops, restaurants, transport, bills,
// transfers and red packets of some forty counterparties, with refunds of some purchases and
// withdrawals that move no money. Trade numbers start from firstTrade, so two bills written
// with distinct ranges never share one. False when the file cannot be written.
bool writeWeChatBill(const QString &path, int rows, qint64 firstTrade = 1);
