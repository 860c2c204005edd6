#include "shelldressing.h"

#include "appearance/skinfile.h"
#include "common/clock.h"
#include "common/numbers.h"
#include "common/settings.h"
#include "resources/artwork.h"
#include "ui/animationbox.h"
#include "ui/layoutwindow.h"

#include <QFile>

namespace {

QByteArray background;
int transparency = 0;

QString festivalWord()
{
    const QDate today = Clock::today();
    return today.month() == 12 && today.day() == 25 ? QStringLiteral("圣诞") : QString();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void loadStartupAppearance(LayoutWindow *)
{
    const QString pf = QStringLiteral("pf");
    transparency = int(truncateToInteger(textToNumber(readSetting(pf, QStringLiteral("pftmd")))));
    if (readSetting(pf, QStringLiteral("bjtp")).isEmpty())
        writeSetting(pf, QStringLiteral("bjtp"), QStringLiteral("1"));
    background.clear();
    const QString festival = festivalWord();
    if (!festival.isEmpty()) {
        background = getSkinEntry(festival + QStringLiteral("图片1"));
        return;
    }
    const qint64 n = truncateToInteger(textToNumber(readSetting(pf, QStringLiteral("bjtp"))));
    if (n >= 1) {
        background = getSkinEntry(QStringLiteral("背景图片") + QString::number(n));
    } else if (n < 0) {
        background = fileBytes(readSetting(pf, QStringLiteral("yhtp") + QString::number(-n)));
    } else {
        const qint64 m = truncateToInteger(textToNumber(readSetting(pf, QStringLiteral("cstp"))));
        if (m > 0)
            background = getSkinEntry(QStringLiteral("纯色图片") + QString::number(m));
    }
}

QByteArray currentBackgroundPicture()
{
    return background;
}

int currentTransparency()
{
    return transparency;
}

void registerShellWindow(ShellWindow, LayoutWindow *) {}

void dressMain(LayoutWindow *mainWindow)
{
    auto *canvas = mainWindow->unit<AnimationBox>(QStringLiteral("背景动画框"));
    if (!canvas)
        return;
    canvas->setBackgroundMode(AnimationBox::BackgroundMode::Stretched);
    canvas->setBackgroundPicture(background);
    canvas->lower();
    const int old = canvas->findObject(QStringLiteral("选中动画"));
    QPoint place(200, 110);
    bool shown = false;
    if (old > 0) {
        place = canvas->objectPosition(old);
        shown = canvas->objectVisible(old);
        canvas->removeObject(old);
    }
    const int id = canvas->addObject(QStringLiteral("选中动画"), place.x(), place.y(), shown);
    canvas->setObjectPicture(id, fileBytes(highlightPicturePath));
    canvas->setObjectTransparentColour(id, Qt::white);
}

void dressPage(ShellWindow, LayoutWindow *) {}

void dressDialogWindow(LayoutWindow *dialog)
{
    if (auto *canvas = dialog->unit<AnimationBox>(QStringLiteral("背景动画框"))) {
        canvas->setGeometry(0, 0, dialog->width(), dialog->height());
        canvas->setBackgroundMode(AnimationBox::BackgroundMode::Stretched);
        canvas->setBackgroundPicture(background);
        canvas->lower();
    }
}

void resetDressing(LayoutWindow *) {}

void releaseDressingPictures() {}
