#pragma once
// The pictures built into the program (library kelm_artwork), drawn by tools/artwork.
#include <QString>

inline const QString splashPicturePath = QStringLiteral(":/artwork/splash.png");       // 400 x 200
inline const QString applicationIconPath = QStringLiteral(":/artwork/icon.png");       // 256 x 256
inline const QString logoPicturePath = QStringLiteral(":/artwork/logo.png");           // 48 x 48, "理财标识"
inline const QString guidePicturePath = QStringLiteral(":/artwork/guide.png");         // 796 x 488, "操作指南"
inline const QString highlightPicturePath = QStringLiteral(":/artwork/highlight.gif"); // 38 x 4, 9 frames, white transparent
