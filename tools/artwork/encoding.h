#pragma once
// Writing the pictures so that the skin builder can take them.
#include <QByteArray>
#include <QImage>

// The picture encoded in the format ("png", "jpg", "bmp"), changed invisibly until neither
// separator of the skin file occurs in the bytes: a lower JPEG quality, or the lowest bit of the
// blue channel of one pixel at a time. Empty when the format cannot be written or no attempt fits.
QByteArray encodeFitting(QImage image, const QByteArray &format);
