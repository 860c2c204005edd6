#pragma once
// A small GIF89a writer: Qt reads GIF but does not write it.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

// An endlessly looping animation of frames of one size. Pixels of the transparent colour, and
// pixels less than half opaque, are stored as that colour and marked transparent. Delays are in
// hundredths of a second, one per frame. All frames together may use at most 256 colours;
// otherwise, or when the frames differ in size, the result is empty.
QByteArray encodeAnimatedGif(const QList<QImage> &frames, const QList<int> &delays, QRgb transparent);
