#pragma once
// The skin page: a gallery of three background pictures (the skin's or the user's own) and the
// plain colours, and the transparency box. A choice is written to the settings at once and every
// window is dressed again.
#include "appearance/spritescene.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

class LayoutWindow;

class SkinPage : public QObject
{
    Q_OBJECT
public:
    struct PictureSlot
    {
        QByteArray thumbnail; // empty: a user slot without a picture, showing the add picture
        int sprite = 0;
        bool user = false;    // the skin has no thumbnail for it; it takes a user picture
    };
    struct ColourSlot
    {
        QByteArray thumbnail;
        int sprite = 0;
    };

    // Builds the gallery on the page's "子窗口背景动画框" and binds the handlers. The page is
    // dressed afterwards (dressSkinPage).
    explicit SkinPage(LayoutWindow *page);

    void buildAppearancePage();
    void onSlotPointerEnter(int sprite);
    void onSlotPointerLeave(int sprite);
    void onSlotClick(int sprite);
    // A right click on a user slot: choose another picture file for it.
    void onUserSlotReplace(int sprite);
    void onTransparencyChosen(int index);

    int pictureSlotCount() const { return slotCount; }
    const QList<PictureSlot> &pictureSlots() const { return pictures; }
    const QList<ColourSlot> &colourSlots() const { return colours; }
    SpriteScene &gallery() { return scene; }

private:
    void chooseUserPicture(int slotNumber);
    int transparencyBoxValue() const;
    // The picture drawn 200 x 140 on the conversion canvas; empty when the bytes are no picture.
    QByteArray thumbnailOf(const QByteArray &picture);
    void showThumbnail(const PictureSlot &slot);
    bool isSlotSprite(int sprite) const;

    QPointer<LayoutWindow> page;
    SpriteScene scene;
    int slotCount = 3;
    QList<PictureSlot> pictures;
    QList<ColourSlot> colours;
};

// The skin page controller of a page, made when the page is built; null before.
SkinPage *buildSkinPage(LayoutWindow *page);
SkinPage *skinPageOf(LayoutWindow *page);
