#pragma once
// The sprites the program has put on one animation box: their names, places and up to three state
// pictures, so that they can be found again, given other pictures, or all removed at once. The
// window dressing keeps one per window; the gallery, the help window and the statistics page
// have their own.
#include "ui/animationbox.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class SpriteScene
{
public:
    using ClickRoutine = std::function<void()>;

    struct Sprite
    {
        QString name;
        int id = 0;
        int x = 0, y = 0;
        int naturalWidth = 0, naturalHeight = 0;
        int width = 0, height = 0; // 0 or less: the picture's own size
        bool visible = true;
        QByteArray normalPicture, hoverPicture, pressedPicture;
        ClickRoutine clickRoutine;
        bool stayNormalAfterClick = false;
    };

    // Removes every object from the canvas, not only this scene's, and forgets the records.
    void clearSprites();
    void bindCanvas(AnimationBox *canvas);
    AnimationBox *canvas() const { return box; }

    // A sprite showing its normal picture; hover and pressed pictures are shown on request.
    int addButtonSprite(const QString &name, int x, int y, int width, int height, bool visible,
                        const QByteArray &normal, const QByteArray &hover, const QByteArray &pressed,
                        ClickRoutine click = {}, bool stayNormalAfterClick = false);
    // A sprite with one picture, scaled to width by height when width is above 0.
    int addPictureSprite(const QString &name, int x, int y, int width, int height, bool visible,
                         const QByteArray &picture, int transparency = 0);
    // The same with the picture already decoded, for pictures every window shows.
    int addPictureSprite(const QString &name, int x, int y, int width, int height, bool visible,
                         const QByteArray &picture, const QImage &decoded, int transparency);
    // Replaces the three pictures of the sprite and shows the normal one.
    void setStatePictures(int id, const QByteArray &normal, const QByteArray &hover, const QByteArray &pressed);
    // Shows a picture on the object; the sprite's own pictures stay as they were.
    void setPicture(int id, const QByteArray &picture);
    // Shows a snapshot of a rectangle of another canvas on the object.
    void setPictureFromCanvas(AnimationBox *source, int left, int top, int width, int height, int id);
    void setTransparency(int id, int percent);
    // Scales the first sprite of that name to the size.
    void scaleSpriteTo(const QString &name, int width, int height);
    void moveSprite(int id, int x, int y);
    void setCanvasBackground(const QByteArray &picture, AnimationBox::BackgroundMode mode);
    void showHover(int id);
    void showNormal(int id);
    void showPressed(int id);
    // After a click: the normal or the hover picture as the sprite asks, then its click routine.
    void onClick(int id);
    // Draws the text in the Song face at the font height on the object and moves it to (x, y).
    void addTextSprite(int id, int x, int y, const QString &text, int fontHeight, const QColor &colour);
    // The newest object on the canvas with that name, -1 when there is none.
    int findByName(const QString &name) const;
    void setVisible(int id, bool visible);

    const QList<Sprite> &sprites() const { return records; }

private:
    Sprite *record(int id);
    // Scale factors in thousandths that make the natural size fill width by height.
    void scaleObject(int id, int naturalWidth, int naturalHeight, int width, int height);
    // The record of an object just added with its normal picture, scaled to width by height.
    Sprite placed(int id, const QString &name, int x, int y, int width, int height, bool visible,
                  const QByteArray &normal);

    QPointer<AnimationBox> box;
    QList<Sprite> records;
};
