#include "appearance/liststyle.h"

#include "common/program.h"
#include "ui/drawingboard.h"
#include "ui/listview.h"

#include <QFont>
#include <QImage>
#include <QSaveFile>

void stripeListRows(ListView *list, DrawingBoard *board, const QColor &first, const QColor &second)
{
    if (!list || !board)
        return;
    // Two rows give the distance between rows; with fewer the list's own row height serves.
    int h = 0;
    if (list->rowCount() >= 2)
        h = list->rowRect(1).top() - list->rowRect(0).top();
    if (h <= 0)
        h = list->rowHeight();

    const bool listShown = !list->isHidden();
    board->resize(1, 2 * h);
    list->hide();
    board->raise();
    board->clear();
    board->fillRect(QRect(0, 0, board->width(), h), first);
    board->fillRect(QRect(0, h, board->width(), h), second);
    const QImage stripe = board->picture();
    board->hide();
    list->setVisible(listShown);

    const QString path = programPath(QStringLiteral("bj.qbx"));
    // Written whole and then put in place of an older one, so a half-written file never shows.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !stripe.save(&file, "BMP") || !file.commit())
        return;
    const QImage tiled(path, "BMP");
    if (!tiled.isNull())
        list->setBackgroundPicture(tiled);
}

void drawListHeader(ListView *list, const QColor &textColour, const QColor &fillColour, const QString &face,
                    int height, bool bold)
{
    if (!list)
        return;
    QFont font(face);
    font.setPixelSize(height > 0 ? height : 12);
    font.setWeight(bold ? QFont::DemiBold : QFont::Normal);
    list->listHeader()->setLook(textColour, fillColour, font);
}
