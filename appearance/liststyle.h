#pragma once
// The ledger lists' look: rows in two alternating colours from a stripe picture tiled behind
// them, and a header of grey cells with centred captions.
#include <QColor>
#include <QString>

class DrawingBoard;
class ListView;

// Draws the stripe picture (one row of each colour) on the board, writes it to "bj.qbx" in the
// program folder and tiles it as the list's background.
void stripeListRows(ListView *list, DrawingBoard *board, const QColor &first,
                    const QColor &second = QColor(179, 217, 255));
// Paints the list's header in the fill colour with centred captions in the face and height, the
// fill continuing right of the last column.
void drawListHeader(ListView *list, const QColor &textColour, const QColor &fillColour,
                    const QString &face = QStringLiteral("宋体"), int height = 12, bool bold = false);
