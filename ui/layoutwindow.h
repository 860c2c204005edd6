#pragma once
// A window built from its layout table: every unit created with its kind, its unit name as object
// name and its tag, placed inside its container. Code reaches a unit by name through a typed
// lookup; the dressing enumerates the units by kind.
#include "ui/layouttable.h"
#include "ui/unit.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <type_traits>

class LayoutWindow : public QWidget
{
    Q_OBJECT
public:
    // Builds the window of that layout. A page is a plain child widget; any other window is a
    // frameless top-level window (the skin draws its frame). A layout that cannot be read gives an
    // empty window whose buildError() says why.
    explicit LayoutWindow(const QString &layoutName, QWidget *parent = nullptr);
    LayoutWindow(const LayoutTable &table, QWidget *parent = nullptr);

    QString layoutName() const { return table.name; }
    const LayoutTable &layout() const { return table; }
    bool isPage() const { return table.page; }
    bool isValid() const { return table.error.isEmpty(); }
    QString buildError() const { return table.error; }

    // The unit of that name as the given kind; null when there is none or it is of another kind.
    template<class T>
    T *unit(const QString &name) const
    {
        return qobject_cast<T *>(byName.value(name));
    }
    // The unit the window's code needs. When the layout lacks it or has it as another kind, the
    // window's buildError() names it, so a renamed unit shows up as a broken window and not as a
    // button that silently does nothing; the code gets a stand-in the window never shows.
    template<class T>
    T *requiredUnit(const QString &name)
    {
        if (T *found = unit<T>(name))
            return found;
        noteMissingUnit(name, T::staticMetaObject.className());
        T *standIn;
        if constexpr (std::is_base_of_v<QWidget, T>)
            standIn = new T(standInHolder());
        else
            standIn = new T(this);
        standIn->setObjectName(name);
        return standIn;
    }
    QObject *unitObject(const QString &name) const { return byName.value(name); }
    // Every unit in table order, or those of one kind.
    QList<QObject *> units() const { return order; }
    QList<QObject *> units(UnitKind kind) const;

    // The overrides the window's creation makes before it is dressed: window size, the page's
    // place in the main window, the list and bar positions of the view and entry pages, and the
    // view page's dates. A page becomes a child of the main window given.
    void placeAtCreation(QWidget *mainWindow = nullptr);

    void setBackgroundColour(const QColor &colour);
    QColor backgroundColour() const;
    void setAlwaysOnTop(bool on);
    bool alwaysOnTop() const;
    // Moves the window with the mouse from a press on its caption or background, through the
    // window system where it allows that and by following the mouse where it does not.
    void startMove(const QPoint &globalPressPosition);
    // A left press on the bare background of the window's "背景动画框" moves the window; a press
    // that hits a sprite is left to the sprite.
    void moveOnBarePress();
    // Shows the window modally and returns when it is closed or hidden.
    void execModal();

signals:
    void closed();

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void noteMissingUnit(const QString &name, const char *kind);
    QWidget *standInHolder();
    QObject *createUnit(const LayoutUnit &unit, QWidget *container);

    LayoutTable table;
    QHash<QString, QObject *> byName;
    QList<QObject *> order;
    QPoint moveOffset;
    bool followingMouse = false;
    QWidget *standIns = nullptr; // hidden, so the stand-ins of missing units never show
};
