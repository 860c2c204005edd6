#include "appearance/dressing.h"
#include "appearance/skinpage.h"
#include "common/settings.h"
#include "skinfixture.h"
#include "ui/animationbox.h"
#include "ui/filedialog.h"
#include "ui/layoutwindow.h"

#include <QDir>
#include <QTest>

namespace {

const QString pf = QStringLiteral("pf");

// The main window and the skin page, registered so that a choice re-dresses them.
struct Gallery
{
    Gallery()
    {
        main = new LayoutWindow(QStringLiteral("main"));
        main->placeAtCreation();
        registerWindow(DressedWindow::Main, main);
        dressMainWindow();
        page = new LayoutWindow(QStringLiteral("skin"));
        page->placeAtCreation(main);
        registerWindow(DressedWindow::Skin, page);
        skinPage = buildSkinPage(page);
        dressSkinPage();
    }
    ~Gallery()
    {
        registerWindow(DressedWindow::Skin, nullptr);
        registerWindow(DressedWindow::Main, nullptr);
        delete main;
    }
    AnimationBox *canvas() const { return page->unit<AnimationBox>(QStringLiteral("子窗口背景动画框")); }
    QColor shown(int sprite) const { return canvas()->objectImage(sprite).pixelColor(5, 5); }
    int pictureSprite(int slot) const { return skinPage->pictureSlots().at(slot - 1).sprite; }
    int colourSprite(int slot) const { return skinPage->colourSlots().at(slot - 1).sprite; }
    QString setting(const QString &key) const { return readSetting(pf, key); }

    LayoutWindow *main = nullptr;
    LayoutWindow *page = nullptr;
    SkinPage *skinPage = nullptr;
};

} // namespace

class TestSkinPage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void onlyThreePictureSlotsShow_data();
    void onlyThreePictureSlotsShow();
    void choicesAreWrittenAtOnce();
    void emptyUserSlotAsksForAPicture();
    void ownPictureWithTheShippedSkin_data();
    void ownPictureWithTheShippedSkin();
    void cancelledDialogChangesNothing();
    void userSlotThumbnailFromTheFile();
    void vanishedOrBrokenUserPicture_data();
    void vanishedOrBrokenUserPicture();
    void replaceGestureOnlyOnUserSlots();
    void brightnessFollowsThePointer();
    void festivalThumbnailsAndPictures();
    void transparencyChoice();

private:
    SkinFixture *skin = nullptr;
};

void TestSkinPage::init()
{
    skin = new SkinFixture;
    QVERIFY(skin->load());
    appearanceState() = {};
    appearanceState().transparency = 30;
    Clock::setFixed(QDateTime(QDate(2026, 3, 31), QTime(12, 0)));
    FileDialog::takeOpenings();
}

void TestSkinPage::cleanup()
{
    Clock::useSystemTime();
    delete skin;
}

void TestSkinPage::onlyThreePictureSlotsShow_data()
{
    QTest::addColumn<QByteArray>("count");
    QTest::addColumn<int>("slotCount");
    QTest::newRow("5") << QByteArray("5") << 5;
    QTest::newRow("2") << QByteArray("2") << 3;
    QTest::newRow("missing") << QByteArray() << 3;
}

void TestSkinPage::onlyThreePictureSlotsShow()
{
    QFETCH(QByteArray, count);
    skin->entries[QStringLiteral("背景图片数")] = count;
    for (int i = 4; i <= 5; ++i)
        skin->entries[QStringLiteral("背景图片%1_缩略图").arg(i)] = solidPicture(Qt::red, QSize(200, 140));
    QVERIFY(skin->load());
    Gallery g;
    QFETCH(int, slotCount);
    QCOMPARE(g.skinPage->pictureSlotCount(), slotCount);
    int shownSlots = 0, frames = 0;
    for (int id : g.canvas()->objectIds()) {
        const QString name = g.canvas()->nameOf(id);
        shownSlots += name.startsWith(QStringLiteral("背景图片")) && name != QStringLiteral("背景图片框");
        frames += name == QStringLiteral("背景图片框");
    }
    QCOMPARE(shownSlots, 3);
    QCOMPARE(frames, 3 + 2);
    QCOMPARE(g.canvas()->findObject(QStringLiteral("背景图片4")), -1);
    QCOMPARE(g.canvas()->objectPosition(g.pictureSprite(3)), QPoint(580, 50));
    QCOMPARE(g.canvas()->displaySize(g.pictureSprite(3)), QSize(200, 140));
    QCOMPARE(g.canvas()->objectPosition(g.colourSprite(2)), QPoint(330, 270));
}

void TestSkinPage::choicesAreWrittenAtOnce()
{
    Gallery g;
    g.skinPage->onSlotClick(g.colourSprite(2));
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("0"));
    QCOMPARE(g.setting(QStringLiteral("cstp")), QStringLiteral("2"));
    QCOMPARE(appearanceState().backgroundPicture, skin->entries.value(QStringLiteral("纯色图片2")));

    g.skinPage->onSlotClick(g.pictureSprite(2));
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("2"));
    QCOMPARE(g.setting(QStringLiteral("cstp")), QStringLiteral("0"));
    QCOMPARE(appearanceState().backgroundPicture, skin->entries.value(QStringLiteral("背景图片2")));
    // The transparency box's value goes with every re-dressing.
    QCOMPARE(appearanceState().transparency, 30);
    // The gallery shows the new slice behind it.
    QCOMPARE(g.canvas()->backgroundImage().pixelColor(5, 5), appearanceState().pageSlice.pixelColor(5, 5));
}

void TestSkinPage::emptyUserSlotAsksForAPicture()
{
    skin->entries[QStringLiteral("背景图片数")] = "2";
    skin->entries.remove(QStringLiteral("背景图片3"));
    skin->entries.remove(QStringLiteral("背景图片3_缩略图"));
    QVERIFY(skin->load());
    Gallery g;
    const SkinPage::PictureSlot slot = g.skinPage->pictureSlots().at(2);
    QVERIFY(slot.user);
    QCOMPARE(g.shown(slot.sprite), QColor(Qt::magenta));

    const QByteArray own = solidPicture(QColor(0, 128, 128), QSize(400, 280), "BMP");
    const QString path = skin->writeFile(QStringLiteral("own.bmp"), own);
    FileDialog::queueAnswers({path});
    g.skinPage->onSlotClick(slot.sprite);
    const QList<FileDialog::Opening> openings = FileDialog::takeOpenings();
    QCOMPARE(openings.size(), 1);
    QCOMPARE(openings[0].kind, QStringLiteral("open"));
    QCOMPARE(openings[0].filter, QStringLiteral("图片文件(*.bmp,*.jpg,*.jpeg,*.png)|*.bmp;*.jpg;*.jpeg;*.png"));
    QCOMPARE(g.setting(QStringLiteral("yhtp3")), path);
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("-3"));
    QCOMPARE(appearanceState().backgroundPicture, own);
    QCOMPARE(g.shown(slot.sprite), QColor(0, 128, 128));
    QCOMPARE(g.canvas()->displaySize(slot.sprite), QSize(200, 140));

    // Chosen again later, the slot takes the user's file without a dialog.
    g.skinPage->onSlotClick(g.pictureSprite(1));
    g.skinPage->onSlotClick(slot.sprite);
    QCOMPARE(FileDialog::takeOpenings().size(), 0);
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("-3"));
    QCOMPARE(appearanceState().backgroundPicture, own);
}

void TestSkinPage::ownPictureWithTheShippedSkin_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("JPEG") << QStringLiteral("我的照片.jpg") << QByteArray("JPG");
    QTest::newRow("JPEG, long suffix") << QStringLiteral("全家福 2026.jpeg") << QByteArray("JPG");
    QTest::newRow("PNG") << QStringLiteral("西湖风景.png") << QByteArray("PNG");
}

// The skin the program ships leaves the third picture slot to the user, whose picture is taken
// again after a restart from the path in the settings file.
void TestSkinPage::ownPictureWithTheShippedSkin()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, format);
    QVERIFY2(loadSkinFile(QStringLiteral(KELM_SKIN_FILE), applicationTitle), KELM_SKIN_FILE);
    const QColor colour(30, 90, 200);
    const QByteArray own = solidPicture(colour, QSize(860, 600), format.constData());
    QVERIFY(QDir(skin->folder.path()).mkpath(QStringLiteral("相册")));
    const QString path = skin->writeFile(QStringLiteral("相册/") + fileName, own);
    QVERIFY(QFile::exists(path));
    {
        Gallery g;
        const SkinPage::PictureSlot slot = g.skinPage->pictureSlots().at(2);
        QVERIFY(slot.user);
        QVERIFY(slot.thumbnail.isEmpty());
        QCOMPARE(g.canvas()->objectImage(slot.sprite).convertToFormat(QImage::Format_ARGB32),
                 imageFromBytes(getSkinEntry(QStringLiteral("添加背景图片"))).convertToFormat(QImage::Format_ARGB32));
        FileDialog::queueAnswers({path});
        g.skinPage->onSlotClick(slot.sprite);
        const QList<FileDialog::Opening> openings = FileDialog::takeOpenings();
        QCOMPARE(openings.size(), 1);
        // The dialog lists the file: one of its patterns matches the name.
        const QString patterns = FileDialog::toolkitFilter(openings[0].filter);
        QVERIFY2(QDir::match(patterns.mid(patterns.indexOf(u'(') + 1).chopped(1).split(u' '), fileName),
                 qPrintable(patterns));
        QCOMPARE(g.setting(QStringLiteral("yhtp3")), path);
        QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("-3"));
        QCOMPARE(appearanceState().backgroundPicture, own);
    }
    // A restart: the background and the slot's thumbnail come from the remembered file.
    appearanceState() = {};
    loadStartupAppearance();
    QCOMPARE(appearanceState().backgroundPicture, own);
    Gallery g;
    const SkinPage::PictureSlot slot = g.skinPage->pictureSlots().at(2);
    QVERIFY(!slot.thumbnail.isEmpty());
    const QColor shown = g.shown(slot.sprite);
    QVERIFY2(qAbs(shown.red() - colour.red()) < 6 && qAbs(shown.blue() - colour.blue()) < 6, qPrintable(shown.name()));
}

void TestSkinPage::cancelledDialogChangesNothing()
{
    skin->entries.remove(QStringLiteral("背景图片3_缩略图"));
    QVERIFY(skin->load());
    writeSetting(pf, QStringLiteral("bjtp"), QStringLiteral("1"));
    Gallery g;
    appearanceState().backgroundPicture = "before";
    FileDialog::queueAnswers({QString()});
    g.skinPage->onSlotClick(g.pictureSprite(3));
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("1"));
    QCOMPARE(g.setting(QStringLiteral("yhtp3")), QString());
    QCOMPARE(appearanceState().backgroundPicture, QByteArray("before"));
}

void TestSkinPage::userSlotThumbnailFromTheFile()
{
    skin->entries.remove(QStringLiteral("背景图片2_缩略图"));
    QVERIFY(skin->load());
    writeSetting(pf, QStringLiteral("yhtp2"),
                 skin->writeFile(QStringLiteral("own.jpg"), solidPicture(QColor(200, 100, 0), QSize(860, 600), "JPG")));
    Gallery g;
    const SkinPage::PictureSlot slot = g.skinPage->pictureSlots().at(1);
    QVERIFY(slot.user);
    QVERIFY(!slot.thumbnail.isEmpty());
    const QColor c = g.shown(slot.sprite);
    QVERIFY2(qAbs(c.red() - 200) < 6 && qAbs(c.green() - 100) < 6, qPrintable(c.name()));
    QCOMPARE(g.canvas()->displaySize(slot.sprite), QSize(200, 140));
    QVERIFY(g.page->unit<AnimationBox>(QStringLiteral("图片转换动画框"))->backgroundPicture().isEmpty());
}

void TestSkinPage::vanishedOrBrokenUserPicture_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("vanished") << false;
    QTest::newRow("not a picture") << true;
}

void TestSkinPage::vanishedOrBrokenUserPicture()
{
    QFETCH(bool, exists);
    skin->entries.remove(QStringLiteral("背景图片2_缩略图"));
    QVERIFY(skin->load());
    const QString path = exists ? skin->writeFile(QStringLiteral("notes.jpg"), "plain text, no picture")
                                : skin->folder.filePath(QStringLiteral("gone.jpg"));
    writeSetting(pf, QStringLiteral("yhtp2"), path);
    Gallery g;
    const SkinPage::PictureSlot slot = g.skinPage->pictureSlots().at(1);
    QVERIFY(slot.thumbnail.isEmpty());
    QCOMPARE(g.shown(slot.sprite), QColor(Qt::magenta));
    // Chosen from the dialog, a file that is no picture gives an empty background.
    FileDialog::queueAnswers({skin->writeFile(QStringLiteral("other.bmp"), "not a bitmap either")});
    g.skinPage->onSlotClick(slot.sprite);
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("-2"));
    QCOMPARE(g.shown(slot.sprite), QColor(Qt::magenta));
    QVERIFY(g.main->unit<AnimationBox>(QStringLiteral("背景动画框"))->backgroundImage().isNull());
}

void TestSkinPage::replaceGestureOnlyOnUserSlots()
{
    skin->entries.remove(QStringLiteral("背景图片3_缩略图"));
    QVERIFY(skin->load());
    Gallery g;
    g.skinPage->onUserSlotReplace(g.pictureSprite(1));
    g.skinPage->onUserSlotReplace(g.colourSprite(1));
    QCOMPARE(FileDialog::takeOpenings().size(), 0);

    const QString path = skin->writeFile(QStringLiteral("own.bmp"), solidPicture(Qt::darkRed, QSize(40, 28), "BMP"));
    FileDialog::queueAnswers({path});
    g.skinPage->onUserSlotReplace(g.pictureSprite(3));
    QCOMPARE(FileDialog::takeOpenings().size(), 1);
    QCOMPARE(g.setting(QStringLiteral("yhtp3")), path);
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("-3"));

    // A right click on the gallery reaches the same gesture.
    const QString second = skin->writeFile(QStringLiteral("second.bmp"), solidPicture(Qt::darkBlue, QSize(40, 28), "BMP"));
    FileDialog::queueAnswers({second});
    g.page->show();
    QTest::mouseClick(g.canvas(), Qt::RightButton, {}, QPoint(680, 120));
    QCOMPARE(g.setting(QStringLiteral("yhtp3")), second);
}

void TestSkinPage::brightnessFollowsThePointer()
{
    Gallery g;
    const int slot = g.pictureSprite(1);
    g.skinPage->onSlotPointerEnter(slot);
    QCOMPARE(g.canvas()->objectBrightness(slot), 20);
    g.skinPage->onSlotPointerLeave(slot);
    QCOMPARE(g.canvas()->objectBrightness(slot), 0);
    const int frame = g.canvas()->findObject(QStringLiteral("背景图片框"));
    g.skinPage->onSlotPointerEnter(frame);
    QCOMPARE(g.canvas()->objectBrightness(frame), 0);
}

void TestSkinPage::festivalThumbnailsAndPictures()
{
    Clock::setFixed(QDateTime(QDate(2026, 12, 25), QTime(10, 0)));
    Gallery g;
    QCOMPARE(g.shown(g.pictureSprite(2)), QColor(200, 20, 0));
    g.skinPage->onSlotClick(g.pictureSprite(2));
    QCOMPARE(appearanceState().backgroundPicture, skin->entries.value(QStringLiteral("圣诞图片2")));
    QCOMPARE(g.setting(QStringLiteral("bjtp")), QStringLiteral("2"));
}

void TestSkinPage::transparencyChoice()
{
    Gallery g;
    auto *box = g.page->unit<EditBox>(QStringLiteral("透明度框"));
    QCOMPARE(box->text(), QStringLiteral("30"));
    QCOMPARE(g.page->unit<ComboBox>(QStringLiteral("透明度组合框"))->currentText(), QStringLiteral("30"));
    g.skinPage->onTransparencyChosen(4);
    QCOMPARE(box->text(), QStringLiteral("50"));
    QCOMPARE(g.setting(QStringLiteral("pftmd")), QStringLiteral("50"));
    QCOMPARE(appearanceState().transparency, 50);
    AnimationBox *background = g.main->unit<AnimationBox>(QStringLiteral("背景动画框"));
    QCOMPARE(background->objectTransparency(background->findObject(QStringLiteral("背景矩形860"))), 50);
}

QTEST_MAIN(TestSkinPage)
#include "tst_skinpage.moc"
