#pragma once
// The skin of one window: its background colour and stretched background picture, the translucent
// content rectangle, the black and white border lines and the icon drawn as sprites on the
// background canvas, and the colours and pictures of its controls. Every window has one; the
// window's creation dresses it, and a change of background or transparency dresses it again.
#include "appearance/spritescene.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

class AnimationBox;
class DrawingBoard;
class LayoutWindow;
class QWidget;

class WindowSkin
{
public:
    WindowSkin() = default;
    ~WindowSkin() = default;
    // A copy keeps its own scene records (the sprites themselves live on the canvas).
    WindowSkin(const WindowSkin &) = default;
    WindowSkin &operator=(const WindowSkin &) = default;

    // Snapshot of the rectangle of the source canvas as it is drawn (background and sprites); it
    // becomes the destination's background picture (an animation box, a picture box or a drawing
    // board) and is returned. An empty rectangle gives an empty picture.
    QImage copyBackgroundSlice(AnimationBox *source, QWidget *destination, int left, int top, int width,
                               int height);

    // Dresses one window in five steps: background colour; for a top-level window the canvases,
    // the stretched background picture and the ten decoration sprites (content rectangle at
    // left/top/width/height with the transparency, border lines, icon), replacing those of an
    // earlier dressing; the controls; for a page the page slice drawn on its background board;
    // the background canvas sent to the bottom. A page passes the main window's three canvases.
    void dressWindow(LayoutWindow *window, AnimationBox *backgroundCanvas, AnimationBox *buttonCanvas,
                     AnimationBox *pageBackgroundCanvas, int left, int top, int width, int height,
                     const QByteArray &backgroundPicture, int transparency, bool isPage,
                     DrawingBoard *pageBoard = nullptr, const QImage &pageSlice = {});

    // The skin entry of that name (empty when the skin has none).
    QByteArray getSkinEntry(const QString &name) const;
    QString skinVersion() const;
    QString skinName() const;
    // Forgets the dressing: no marker, no sprites. The window's closing calls it.
    void reset();
    // "圣诞" on 25 December by the program's clock, else empty.
    static QString festivalWord();
    int iconSprite() const { return icon; }

    int dressedMarker() const { return marker; }
    SpriteScene &scene() { return sprites; }
    const SpriteScene &scene() const { return sprites; }

private:
    SpriteScene sprites;
    int marker = 0;
    int icon = 0;
};

// A skin colour entry (red + green*256 + blue*65536 as decimal text); missing or empty is black.
QColor skinColour(const QString &name);
// A skin picture entry decoded once and kept while the skin's bytes stay the same.
QImage skinPicture(const QString &name);
