#pragma once
// A window's layout as data: the window's size and caption, and per unit its name, kind, place,
// container, initial text, tag and a few options. Tables live in resources/layouts/, one text file
// per window, one line per unit:
//
//     unit | kind | left | top | width | height | inside | initial text | tag | options
//
// The first line names the window: 窗口 | 顶层 or 页面 | width | height | caption [| options]; its
// option placed=<left,top,width,height> gives where a page sits inside the main window.
// Options, separated by blanks: hidden, password, bottom or top (below or above its siblings),
// wrap, align=left|right|center|top, margin=<pixels left and right>, font=<pixels>, bold,
// background=<r,g,b>, colour=<r,g,b>, items=<a,b,...> (drop-down items, menu captions),
// columns=<title/width/left|center|right,...>, placed=<left,top> or <left,top,width,height> (where
// the window's creation puts the unit, over its designed place: the lists and bars that fill a page).
// A container must come before the units inside it.
#include "ui/unit.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

struct LayoutUnit
{
    QString name;
    UnitKind kind = UnitKind::None;
    QRect rect;
    QString inside;
    QString text;
    QString tag;
    QHash<QString, QString> options;

    bool hasOption(const QString &key) const { return options.contains(key); }
    QString option(const QString &key) const { return options.value(key); }
};

struct LayoutTable
{
    QString name;
    bool page = false;
    QSize size;
    QString caption;
    QHash<QString, QString> options; // of the window line
    QList<LayoutUnit> units;
    // Empty when the table was read whole; otherwise what is wrong and on which line.
    QString error;

    const LayoutUnit *find(const QString &unit) const;
};

// Where the creation puts a unit or window with these options: its "placed=" place when it has one
// (two numbers keep the designed size), else its designed place.
QRect placedRect(const QHash<QString, QString> &options, const QRect &designed);

// Reads a table from its text; on a fault the table's error names the line.
LayoutTable parseLayout(const QString &name, const QString &text);
// The table of a window of the program by its layout name ("main", "view", ...).
LayoutTable loadLayout(const QString &name);
// The layout names of every window of the program.
QStringList layoutNames();
