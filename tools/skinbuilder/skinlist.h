#pragma once
// The skin builder's input: a list of named entries, one a line, in UTF-8:
//
//   # a comment
//   text   皮肤名称=绿色            a text, stored in GBK
//   colour 窗口背景颜色=15198183    a colour, red + green*256 + blue*65536
//   file   背景图片1=bg1.jpg        the bytes of a file in the picture folder
//
// The signature record comes first in every file the builder writes.
#include "appearance/skinfile.h"

#include <QString>

struct SkinListResult
{
    QList<SkinRecord> records; // the signature first, then the list in order
    QString error;             // empty on success: line number and what is wrong
};

SkinListResult readSkinList(const QString &listText, const QString &pictureFolder, const QString &signature);

// Reads the list, enciphers the records and writes the file whole; the error text, or empty.
QString buildSkinFile(const QString &listPath, const QString &pictureFolder, const QString &outputPath);
