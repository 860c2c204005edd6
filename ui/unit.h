#pragma once
// What every unit of a window carries: its unit name (the object name), its tag text and its kind.
// The dressing enumerates the units of a window by kind and reads the tag to choose skin entries.
#include <QObject>
#include <QRect>
#include <QString>

enum class UnitKind {
    None,
    GraphicButton,
    TransparentLabel,
    Label,
    EditBox,
    ShapeBox,
    PictureBox,
    DrawingBoard,
    ComboBox,
    DateBox,
    ListView,
    SuperEditBox,
    AnimationBox,
    FileDialog,
    Timer,
    Grid,
    DataSource,
    GenericProvider,
    DatabaseProvider,
    StyledMenu,
};

// The type name the layouts and the dressing use for a kind ("图形按钮", "透明标签", ...).
QString unitKindName(UnitKind kind);
// The kind of a type name; UnitKind::None for a name that is no kind.
UnitKind unitKindFromName(const QString &name);

UnitKind unitKind(const QObject *unit);
void setUnitKind(QObject *unit, UnitKind kind);
QString unitTag(const QObject *unit);
void setUnitTag(QObject *unit, const QString &tag);

// Left, top, width and height inside the unit's container: the widget geometry of a visible kind,
// the design rectangle of a kind that never shows (file dialog, timer, grid and its providers).
QRect unitGeometry(const QObject *unit);
void setUnitDesignRect(QObject *unit, const QRect &rect);

// The layouts name the classic Song face "宋体"; the Noto CJK serif stands in for it on this
// platform. Sets the substitution and makes it the application font at the usual 12-pixel size.
void useProgramFont();

// The program speaks Chinese also where Qt draws its own windows (file dialogs, the print
// preview): the Chinese locale and Qt's own Chinese texts, when they are installed.
void useChineseTexts();
