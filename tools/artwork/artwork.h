#pragma once
// The drawing of every picture of the green skin and of the pictures built into the program.
// Each function paints one picture; main.cpp decides the file names and formats.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

class QPainter;

// The palette of the green skin: calm greens on pale paper, one warm accent.
namespace palette {
inline const QColor deep{0x2b, 0x5e, 0x45};     // captions and symbols on light ground
inline const QColor green{0x3f, 0x8a, 0x62};    // buttons and badges
inline const QColor light{0x5f, 0xab, 0x80};    // the lit state
inline const QColor mint{0xe0, 0xf1, 0xe6};     // pale fields
inline const QColor paper{0xf6, 0xfa, 0xf6};    // the content rectangle
inline const QColor line{0x8a, 0xbd, 0x9c};     // frames and rules
inline const QColor accent{0xe0, 0x9f, 0x3e};   // coins and small highlights
inline const QColor berry{0xc0, 0x39, 0x2b};    // the festival red, and the close button when lit
} // namespace palette

enum class ButtonState { Normal, Hover, Pressed };

QFont sansFont(int pixelSize, bool bold = false);
QFont serifFont(int pixelSize, bool bold = false);
// A transparent picture of the given size, ready to paint on.
QImage clearImage(QSize size);
QImage clearImage(int width, int height);

// Graphic buttons: one picture per state, exactly the button's size, transparent where the
// background under the button should show through.
QImage navigationButton(const QString &icon, const QString &caption, ButtonState state);
QImage commandButton(QSize size, const QString &caption, ButtonState state);
QImage titleButton(const QString &symbol, ButtonState state);
QImage smallButton(const QString &symbol, QSize size, ButtonState state);
QImage festivalIcon();

// Window frame pieces.
QImage contentRectangle();
QImage borderLine(bool horizontal, const QColor &colour);
QImage windowIcon(int size);
// The same icon painted on a 64 x 64 canvas, for any paint device (the scalable icon).
void paintWindowIcon(QPainter &p);
// The yuan sign in a 20 x 20 box centred on the painter's origin.
void drawYuan(QPainter &p, const QColor &colour, qreal width);

// Backgrounds and the gallery.
QImage landscapeBackground(int which);
QImage plainBackground(const QColor &colour);
QImage festivalBackground(int which);
QImage thumbnail(const QImage &background, const QString &name, bool plain = false);
QImage thumbnailFrame();
QImage addPicture();

// Pictures built into the program.
QImage splashPicture();
QImage logoPicture(int size);
QImage guidePicture();
QList<QImage> highlightFrames();
