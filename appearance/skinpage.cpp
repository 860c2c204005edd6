#include "appearance/skinpage.h"

#include "appearance/dressing.h"
#include "appearance/skinfile.h"
#include "appearance/windowskin.h"
#include "common/numbers.h"
#include "common/settings.h"
#include "common/settingkeys.h"
#include "ui/animationbox.h"
#include "ui/filedialog.h"
#include "ui/layoutwindow.h"
#include "ui/units.h"

#include <QFile>

#include <cmath>

namespace {

const QString pictureFilter = QStringLiteral("图片文件(*.bmp,*.jpg,*.jpeg,*.png)|*.bmp;*.jpg;*.jpeg;*.png");
const QRect conversionArea(0, 0, 200, 140);

int number(const QString &text)
{
    return int(std::trunc(textToNumber(text)));
}

QByteArray fileBytes(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SkinPage::SkinPage(LayoutWindow *owner) : QObject(owner), page(owner)
{
    auto *gallery = page->unit<AnimationBox>(QStringLiteral("子窗口背景动画框"));
    if (gallery) {
        connect(gallery, &AnimationBox::objectEntered, this, &SkinPage::onSlotPointerEnter);
        connect(gallery, &AnimationBox::objectLeft, this, &SkinPage::onSlotPointerLeave);
        connect(gallery, &AnimationBox::objectReleased, this, [this](int id, Qt::MouseButton button, const QPoint &) {
            if (button == Qt::LeftButton)
                onSlotClick(id);
            else if (button == Qt::RightButton)
                onUserSlotReplace(id);
        });
    }
    if (auto *combo = page->unit<ComboBox>(QStringLiteral("透明度组合框"))) {
        connect(combo, &QComboBox::activated, this, &SkinPage::onTransparencyChosen);
        if (auto *dropDown = page->unit<GraphicButton>(QStringLiteral("图形按钮5")))
            connect(dropDown, &QAbstractButton::clicked, combo, &ComboBox::openDropDown);
    }
}

void SkinPage::buildAppearancePage()
{
    page->setGeometry(2, 116, 856, 460);
    auto *conversion = page->unit<AnimationBox>(QStringLiteral("图片转换动画框"));
    auto *gallery = page->unit<AnimationBox>(QStringLiteral("子窗口背景动画框"));
    if (conversion) {
        conversion->setGeometry(conversionArea);
        conversion->setBackgroundMode(AnimationBox::BackgroundMode::Stretched);
    }
    if (gallery) {
        gallery->setGeometry(0, 0, 856, 460);
        // The gallery lies under the page's captions and boxes, above only the page's background board.
        gallery->lower();
        if (auto *board = page->unit<QWidget>(QStringLiteral("子窗口背景画板")))
            board->lower();
    }
    const QString transparency = QString::number(appearanceState().transparency);
    if (auto *box = page->unit<EditBox>(QStringLiteral("透明度框")))
        box->setText(transparency);
    // The list opens at the value in force.
    if (auto *combo = page->unit<ComboBox>(QStringLiteral("透明度组合框")))
        combo->setCurrentIndex(combo->findText(transparency));

    scene.bindCanvas(gallery);
    scene.clearSprites();
    slotCount = std::max(3, number(QString::fromLatin1(getSkinEntry(QStringLiteral("背景图片数")))));
    pictures = QList<PictureSlot>(slotCount);
    const QByteArray frame = getSkinEntry(QStringLiteral("缩略图背景框1"));
    const QByteArray addPicture = getSkinEntry(QStringLiteral("添加背景图片"));
    const QString festival = WindowSkin::festivalWord();

    // Only the first three slots have room on the page.
    for (int i = 1; i <= 3; ++i) {
        const int x = 250 * (i - 1);
        scene.addPictureSprite(QStringLiteral("背景图片框"), 70 + x, 40, 220, 160, true, frame);
        PictureSlot &slot = pictures[i - 1];
        slot.thumbnail = festival.isEmpty() ? getSkinEntry(QStringLiteral("背景图片%1_缩略图").arg(i))
                                            : getSkinEntry(festival + QStringLiteral("图片%1_缩略图").arg(i));
        const QString name = QStringLiteral("背景图片%1").arg(i);
        if (!slot.thumbnail.isEmpty()) {
            slot.sprite = scene.addPictureSprite(name, 80 + x, 50, 200, 140, true, slot.thumbnail);
            slot.user = false;
            continue;
        }
        slot.sprite = scene.addPictureSprite(name, 80 + x, 50, 200, 140, true, addPicture);
        slot.user = true;
        const QString path = readSetting(SettingKey::skinSection, SettingKey::ownPicture.arg(i));
        if (!path.isEmpty() && QFile::exists(path)) {
            slot.thumbnail = thumbnailOf(fileBytes(path));
            if (!slot.thumbnail.isEmpty())
                showThumbnail(slot);
        }
    }

    const int colourCount = number(QString::fromLatin1(getSkinEntry(QStringLiteral("纯色图片数"))));
    colours = QList<ColourSlot>(std::max(0, colourCount));
    for (int i = 1; i <= colourCount; ++i) {
        const int x = 250 * (i - 1);
        ColourSlot &slot = colours[i - 1];
        slot.thumbnail = getSkinEntry(QStringLiteral("纯色图片%1_缩略图").arg(i));
        scene.addPictureSprite(QStringLiteral("背景图片框"), 70 + x, 260, 220, 160, true, frame);
        slot.sprite = scene.addPictureSprite(QStringLiteral("纯色图片%1").arg(i), 80 + x, 270, 200, 140, true,
                                             slot.thumbnail);
    }
}

QByteArray SkinPage::thumbnailOf(const QByteArray &picture)
{
    auto *conversion = page->unit<AnimationBox>(QStringLiteral("图片转换动画框"));
    if (!conversion || imageFromBytes(picture).isNull())
        return {};
    conversion->setBackgroundPicture(picture);
    const QByteArray thumbnail = conversion->snapshot(conversionArea);
    conversion->setBackgroundPicture({});
    return thumbnail;
}

void SkinPage::showThumbnail(const PictureSlot &slot)
{
    // The sprite keeps its place and its size of 200 x 140 whatever the new picture's size.
    scene.setPicture(slot.sprite, slot.thumbnail);
    if (AnimationBox *gallery = scene.canvas()) {
        const QSize natural = gallery->naturalSize(slot.sprite);
        if (!natural.isEmpty())
            gallery->setObjectScale(slot.sprite, 200 * 1000 / natural.width(), 140 * 1000 / natural.height());
    }
}

bool SkinPage::isSlotSprite(int sprite) const
{
    if (sprite <= 0)
        return false;
    for (const PictureSlot &slot : pictures)
        if (slot.sprite == sprite)
            return true;
    for (const ColourSlot &slot : colours)
        if (slot.sprite == sprite)
            return true;
    return false;
}

void SkinPage::onSlotPointerEnter(int sprite)
{
    if (isSlotSprite(sprite) && scene.canvas())
        scene.canvas()->setObjectBrightness(sprite, 20);
}

void SkinPage::onSlotPointerLeave(int sprite)
{
    if (isSlotSprite(sprite) && scene.canvas())
        scene.canvas()->setObjectBrightness(sprite, 0);
}

void SkinPage::onSlotClick(int sprite)
{
    if (sprite <= 0)
        return;
    for (int i = 1; i <= int(pictures.size()); ++i) {
        PictureSlot &slot = pictures[i - 1];
        if (slot.sprite != sprite)
            continue;
        if (slot.thumbnail.isEmpty()) {
            chooseUserPicture(i);
            return;
        }
        const QString festival = WindowSkin::festivalWord();
        QByteArray picture = festival.isEmpty() ? getSkinEntry(QStringLiteral("背景图片%1").arg(i))
                                                : getSkinEntry(festival + QStringLiteral("图片%1").arg(i));
        if (!picture.isEmpty()) {
            writeSetting(SettingKey::skinSection, SettingKey::background, QString::number(i));
        } else {
            picture = fileBytes(readSetting(SettingKey::skinSection, SettingKey::ownPicture.arg(i)));
            writeSetting(SettingKey::skinSection, SettingKey::background, QString::number(-i));
        }
        appearanceState().backgroundPicture = picture;
        writeSetting(SettingKey::skinSection, SettingKey::plainColour, QStringLiteral("0"));
        redressAllWindows(transparencyBoxValue());
        return;
    }
    for (int i = 1; i <= int(colours.size()); ++i) {
        if (colours[i - 1].sprite != sprite)
            continue;
        appearanceState().backgroundPicture = getSkinEntry(QStringLiteral("纯色图片%1").arg(i));
        writeSetting(SettingKey::skinSection, SettingKey::plainColour, QString::number(i));
        writeSetting(SettingKey::skinSection, SettingKey::background, QStringLiteral("0"));
        redressAllWindows(transparencyBoxValue());
        return;
    }
}

void SkinPage::onUserSlotReplace(int sprite)
{
    for (int i = 1; i <= int(pictures.size()); ++i)
        if (pictures[i - 1].sprite == sprite && sprite > 0 && pictures[i - 1].user)
            chooseUserPicture(i);
}

void SkinPage::chooseUserPicture(int slotNumber)
{
    auto *dialog = page->unit<FileDialog>(QStringLiteral("通用对话框1"));
    if (!dialog)
        return;
    dialog->setFilter(pictureFilter);
    if (!dialog->showOpen(page->window()))
        return;
    const QString path = dialog->fileName();
    const QByteArray picture = fileBytes(path);
    appearanceState().backgroundPicture = picture;
    PictureSlot &slot = pictures[slotNumber - 1];
    // A file that is no picture leaves the slot showing its add picture.
    slot.thumbnail = thumbnailOf(picture);
    if (!slot.thumbnail.isEmpty())
        showThumbnail(slot);
    else
        scene.setPicture(slot.sprite, getSkinEntry(QStringLiteral("添加背景图片")));
    redressAllWindows(transparencyBoxValue());
    writeSetting(SettingKey::skinSection, SettingKey::ownPicture.arg(slotNumber), path);
    writeSetting(SettingKey::skinSection, SettingKey::background, QString::number(-slotNumber));
}

void SkinPage::onTransparencyChosen(int index)
{
    auto *combo = page->unit<ComboBox>(QStringLiteral("透明度组合框"));
    if (!combo || index < 0 || index >= combo->count())
        return;
    const QString text = combo->itemText(index);
    if (auto *box = page->unit<EditBox>(QStringLiteral("透明度框")))
        box->setText(text);
    writeSetting(SettingKey::skinSection, SettingKey::transparency, text);
    redressAllWindows(number(text));
}

int SkinPage::transparencyBoxValue() const
{
    auto *box = page->unit<EditBox>(QStringLiteral("透明度框"));
    return box ? number(box->text()) : appearanceState().transparency;
}

SkinPage *buildSkinPage(LayoutWindow *page)
{
    if (!page)
        return nullptr;
    delete skinPageOf(page);
    auto *skinPage = new SkinPage(page);
    skinPage->buildAppearancePage();
    return skinPage;
}

SkinPage *skinPageOf(LayoutWindow *page)
{
    return page ? page->findChild<SkinPage *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}
