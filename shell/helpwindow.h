#pragma once
// The help window: five tabs down its left side, the text of the chosen tab beside them, and the
// operation guide as a picture on its own tab. Not modal; it can stay open beside the main window.
#include "pageunits.h"

#include "appearance/spritescene.h"
#include "ui/layoutwindow.h"

class HelpWindow : public LayoutWindow
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    ~HelpWindow() override;

    static const QStringList &tabCaptions();
    // The text of a tab; the guide tab has none.
    static QString tabText(const QString &caption);

    void chooseTab(const QString &caption);
    QString currentTab() const { return current; }
    // After the background or the transparency changed: dressed again, the guide picture made
    // again and shown when its tab is the current one.
    void redressHelpWindow();
    int guideSprite() const { return guide; }

private:
    void createGuideSprite();
    void restoreGuideSprite();

    HelpUnits units;
    QString current;
    SpriteScene scene;
    int guide = 0;
};
