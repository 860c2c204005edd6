#include "appearance/spritescene.h"

#include <QFont>

SpriteScene::Sprite *SpriteScene::record(int id)
{
    for (Sprite &s : records)
        if (s.id == id)
            return &s;
    return nullptr;
}

void SpriteScene::clearSprites()
{
    if (box) {
        while (box->objectCount() > 0)
            box->removeObject(box->objectIds().constLast());
    }
    records.clear();
}

void SpriteScene::bindCanvas(AnimationBox *canvas)
{
    box = canvas;
}

void SpriteScene::scaleObject(int id, int naturalWidth, int naturalHeight, int width, int height)
{
    if (naturalWidth <= 0 || naturalHeight <= 0)
        return;
    const int horizontal = qRound(double(width) / naturalWidth * 1000);
    const int vertical = qRound(double(height) / naturalHeight * 1000);
    box->setObjectScale(id, horizontal, vertical);
}

int SpriteScene::addPictureSprite(const QString &name, int x, int y, int width, int height, bool visible,
                                  const QByteArray &picture, int transparency)
{
    return addPictureSprite(name, x, y, width, height, visible, picture, QImage(), transparency);
}

int SpriteScene::addPictureSprite(const QString &name, int x, int y, int width, int height, bool visible,
                                  const QByteArray &picture, const QImage &decoded, int transparency)
{
    if (!box)
        return 0;
    const int id = box->addObject(name, x, y, visible);
    if (!decoded.isNull())
        box->setObjectImage(id, decoded);
    else
        box->setObjectPicture(id, picture);
    box->setObjectTransparency(id, transparency);
    records.append(placed(id, name, x, y, width, height, visible, picture));
    return id;
}

SpriteScene::Sprite SpriteScene::placed(int id, const QString &name, int x, int y, int width, int height, bool visible,
                                        const QByteArray &normal)
{
    Sprite sprite;
    sprite.name = name;
    sprite.id = id;
    const QSize natural = box->naturalSize(id);
    sprite.naturalWidth = natural.width();
    sprite.naturalHeight = natural.height();
    if (width > 0)
        scaleObject(id, sprite.naturalWidth, sprite.naturalHeight, width, height);
    sprite.x = x;
    sprite.y = y;
    sprite.width = width;
    sprite.height = height;
    sprite.visible = visible;
    sprite.normalPicture = normal;
    return sprite;
}

int SpriteScene::addButtonSprite(const QString &name, int x, int y, int width, int height, bool visible,
                                 const QByteArray &normal, const QByteArray &hover, const QByteArray &pressed,
                                 ClickRoutine click, bool stayNormalAfterClick)
{
    if (!box)
        return 0;
    const int id = box->addObject(name, x, y, visible);
    box->setObjectPicture(id, normal);
    Sprite sprite = placed(id, name, x, y, width, height, visible, normal);
    sprite.hoverPicture = hover;
    sprite.pressedPicture = pressed;
    sprite.clickRoutine = std::move(click);
    sprite.stayNormalAfterClick = stayNormalAfterClick;
    records.append(sprite);
    return sprite.id;
}

void SpriteScene::setStatePictures(int id, const QByteArray &normal, const QByteArray &hover, const QByteArray &pressed)
{
    Sprite *sprite = record(id);
    if (!sprite)
        return;
    sprite->normalPicture = normal;
    sprite->hoverPicture = hover;
    sprite->pressedPicture = pressed;
    if (box)
        box->setObjectPicture(id, normal);
}

void SpriteScene::setPicture(int id, const QByteArray &picture)
{
    if (box)
        box->setObjectPicture(id, picture);
}

void SpriteScene::setPictureFromCanvas(AnimationBox *source, int left, int top, int width, int height, int id)
{
    if (box && source)
        box->setObjectImage(id, source->snapshotImage(QRect(left, top, width, height)));
}

void SpriteScene::setTransparency(int id, int percent)
{
    if (box)
        box->setObjectTransparency(id, percent);
}

void SpriteScene::scaleSpriteTo(const QString &name, int width, int height)
{
    for (Sprite &sprite : records) {
        if (sprite.name != name)
            continue;
        if (box)
            scaleObject(sprite.id, sprite.naturalWidth, sprite.naturalHeight, width, height);
        sprite.width = width;
        sprite.height = height;
        return;
    }
}

void SpriteScene::moveSprite(int id, int x, int y)
{
    if (box)
        box->moveObject(id, x, y);
    if (Sprite *sprite = record(id)) {
        sprite->x = x;
        sprite->y = y;
    }
}

void SpriteScene::setCanvasBackground(const QByteArray &picture, AnimationBox::BackgroundMode mode)
{
    if (!box)
        return;
    box->setBackgroundMode(mode);
    box->setBackgroundPicture(picture);
}

void SpriteScene::showHover(int id)
{
    const Sprite *sprite = record(id);
    if (sprite && box && !sprite->hoverPicture.isEmpty())
        box->setObjectPicture(id, sprite->hoverPicture);
}

void SpriteScene::showNormal(int id)
{
    const Sprite *sprite = record(id);
    if (sprite && box && !sprite->hoverPicture.isEmpty())
        box->setObjectPicture(id, sprite->normalPicture);
}

void SpriteScene::showPressed(int id)
{
    const Sprite *sprite = record(id);
    if (sprite && box && !sprite->pressedPicture.isEmpty())
        box->setObjectPicture(id, sprite->pressedPicture);
}

void SpriteScene::onClick(int id)
{
    const Sprite *sprite = record(id);
    if (!sprite || sprite->hoverPicture.isEmpty())
        return;
    if (box)
        box->setObjectPicture(id, sprite->stayNormalAfterClick ? sprite->normalPicture : sprite->hoverPicture);
    // The routine may clear this very scene, so it is called from a copy.
    const ClickRoutine routine = sprite->clickRoutine;
    if (routine)
        routine();
}

void SpriteScene::addTextSprite(int id, int x, int y, const QString &text, int fontHeight, const QColor &colour)
{
    if (!box)
        return;
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(qMax(1, fontHeight));
    box->setObjectText(id, text, font, colour);
    box->moveObject(id, x, y);
}

int SpriteScene::findByName(const QString &name) const
{
    return box ? box->findObject(name) : -1;
}

void SpriteScene::setVisible(int id, bool visible)
{
    if (box)
        box->setObjectVisible(id, visible);
    if (Sprite *sprite = record(id))
        sprite->visible = visible;
}
