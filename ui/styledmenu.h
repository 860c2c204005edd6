#pragma once
// The styled pop-up menu: its background, a band down its left side, the look of the chosen item
// and its separators come from colours the dressing sets.
#include <QColor>
#include <QMenu>

class StyledMenu : public QMenu
{
    Q_OBJECT
public:
    explicit StyledMenu(QWidget *parent = nullptr);

    void setBackgroundColour(const QColor &colour);
    // The band behind the icons and the frame round the menu.
    void setLeftBorderColours(const QColor &band, const QColor &frame);
    // The chosen item's fill, its outline and its part of the band.
    void setSelectionColours(const QColor &fill, const QColor &outline, const QColor &band);
    // The separator's line and the light line under it.
    void setSeparatorColours(const QColor &line, const QColor &light);

    QColor backgroundColour() const { return background; }
    QList<QColor> leftBorderColours() const { return {bandColour, frameColour}; }
    QList<QColor> selectionColours() const { return {selectionFill, selectionOutline, selectionBand}; }
    QList<QColor> separatorColours() const { return {separatorLine, separatorLight}; }

    // The action with this caption; a caption "微博/新浪微博" reaches into a sub-menu.
    QAction *findAction(const QString &path) const;
    // Adds items in order: "-" a separator, "上级/名称" an item of the sub-menu "上级".
    void addItems(const QStringList &captions);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyLook();
    QColor background{255, 255, 255}, bandColour{230, 230, 230}, frameColour{160, 160, 160};
    QColor selectionFill{200, 220, 240}, selectionOutline{120, 160, 200}, selectionBand{200, 220, 240};
    QColor separatorLine{200, 200, 200}, separatorLight{255, 255, 255};
};
