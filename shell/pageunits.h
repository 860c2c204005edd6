#pragma once
// The units each page's code works with, looked up once when the page is wired. A name the layout
// lacks is recorded in the window's buildError() (see LayoutWindow::requiredUnit); the layout check
// of the tests binds every page, so a renamed unit fails there instead of leaving a dead button.
#include <QList>
#include <QWidget>

#include <array>

class AnimationBox;
class ComboBox;
class DateBox;
class DrawingBoard;
class EditBox;
class GraphicButton;
class Label;
class LayoutWindow;
class ListView;
class StyledMenu;
class SuperEditBox;
class Timer;
class TransparentLabel;

// The main window's caption bar and navigation buttons.
struct MainUnits
{
    TransparentLabel *title, *version;
    AnimationBox *canvas; // the background, with the navigation highlight
    StyledMenu *menu;
    GraphicButton *list, *add, *modify, *remove, *statistics, *backup, *user;
    GraphicButton *skin, *menuButton, *help, *minimize, *close;
    static MainUnits bind(LayoutWindow &window);
};

struct SplashUnits
{
    TransparentLabel *version, *starting;
    Timer *timer;
    static SplashUnits bind(LayoutWindow &window);
};

// The view page with the login bar above its list and the totals bars below it.
struct ViewUnits
{
    ComboBox *userList;
    EditBox *loginName, *loginPassword;
    GraphicButton *logIn, *registration;
    QWidget *loginBar;
    GraphicButton *detail, *summary;
    DateBox *start, *end;
    Label *startLabel, *endLabel;
    ListView *list;
    DrawingBoard *stripes; // draws the list's striped rows
    GraphicButton *print;
    GraphicButton *chart; // opens the chart window on the range of the page
    QWidget *refresh; // shown and hidden again after a move, so the list repaints
    SuperEditBox *measure; // a hidden box the printout measures texts with
    QWidget *totalsBar, *averagesBar;
    GraphicButton *toAverages, *toTotals;
    TransparentLabel *expense, *income, *balance, *days, *dailyExpense, *dailyIncome;
    static ViewUnits bind(LayoutWindow &page);
};

// The entry page: the form of one entry and the list of entries waiting to be saved.
struct EntryUnits
{
    EditBox *type, *name, *person, *remark, *amount;
    ComboBox *types, *names, *persons, *amountKinds;
    TransparentLabel *amountKind;
    DateBox *day;
    Label *dayLabel;
    GraphicButton *hint;
    ListView *pending;
    DrawingBoard *stripes;
    GraphicButton *add, *remove, *save, *back;
    static EntryUnits bind(LayoutWindow &page);
};

struct BackupUnits
{
    GraphicButton *backUp, *exportLedger, *importLedger, *compact, *restore;
    // The backup password prompt a restore shows while it waits.
    QWidget *passwordLabel, *passwordFrame;
    EditBox *password;
    GraphicButton *confirmPassword, *cancelPassword;
    static BackupUnits bind(LayoutWindow &page);
};

struct StatisticsUnits
{
    ComboBox *years;
    TransparentLabel *year; // the year the figures are for
    TransparentLabel *currentCaption, *previousCaption;
    TransparentLabel *allExpense, *allIncome, *currentExpense, *currentIncome, *previousExpense, *previousIncome;
    std::array<TransparentLabel *, 12> monthExpense, monthIncome;
    TransparentLabel *yearExpense, *yearIncome, *yearCaption;
    GraphicButton *chart; // opens the chart window on the months of the year
    static StatisticsUnits bind(LayoutWindow &page);
};

// The user page and the new-user window share their box names.
struct UserUnits
{
    EditBox *name, *oldPassword, *newPassword, *confirmPassword;
    GraphicButton *changePassword, *deleteUser, *back;
    static UserUnits bind(LayoutWindow &page);
};

struct NewUserUnits
{
    EditBox *name, *password, *confirmPassword;
    GraphicButton *registration, *cancel, *close;
    static NewUserUnits bind(LayoutWindow &window);
};

// The message window, and the confirmation window with its second button for no.
struct PromptUnits
{
    TransparentLabel *title, *text;
    GraphicButton *yes, *no, *close; // no: null for the message window
    static PromptUnits bind(LayoutWindow &window, bool withNo);
};

struct HelpUnits
{
    AnimationBox *canvas;
    QList<TransparentLabel *> tabs;
    TransparentLabel *text;
    GraphicButton *close;
    static HelpUnits bind(LayoutWindow &window, int tabCount);
};

// The chart window: its three tabs, the choices of each chart, and the frame the chart fills.
struct ChartUnits
{
    QList<TransparentLabel *> tabs; // where the money goes, the months, the years
    GraphicButton *expense, *income, *back;
    TransparentLabel *yearCaption, *year;
    ComboBox *years;
    GraphicButton *yearDrop;
    GraphicButton *savePicture, *print, *close;
    TransparentLabel *caption;
    QWidget *frame;
    TransparentLabel *emptyState;
    static ChartUnits bind(LayoutWindow &window);
};
