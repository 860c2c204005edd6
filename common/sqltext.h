#pragma once
// Texts enter statements only through this helper, so a remark like "Tom's lunch" is stored as
// typed and no typed text can change what a statement does.
#include <QString>

// The text between single quotes, each embedded single quote doubled.
QString quoteText(const QString &text);
