#include "messagewindows.h"

#include "pageunits.h"
#include "progresswindow.h"
#include "shelldressing.h"
#include "common/log.h"
#include "ui/filedialog.h"
#include "ui/layoutwindow.h"
#include "ui/units.h"

#include <QApplication>
#include <QScreen>

namespace {

// Builds the window, gives it its texts and lets it be moved by its background.
LayoutWindow *openPromptWindow(const QString &layout, const QString &text, const QString &title, PromptUnits &units)
{
    auto *window = new LayoutWindow(layout);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->placeAtCreation();
    dressDialogWindow(window);
    units = PromptUnits::bind(*window, layout == QStringLiteral("confirm"));
    units.title->setText(title);
    units.text->setText(text);
    // The window system shows the window's own title, as the window shows it.
    window->setWindowTitle(title);
    window->moveOnBarePress();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    return window;
}

void closeOn(LayoutWindow *window, GraphicButton *button, const std::function<void()> &before = {})
{
    QObject::connect(button, &GraphicButton::clicked, window, [window, before] {
        if (before)
            before();
        window->close();
    });
}

} // namespace

void showMessage(const QString &text, const QString &title)
{
    qCInfo(logShell).noquote() << "shown:" << text;
    PromptUnits units;
    LayoutWindow *window = openPromptWindow(QStringLiteral("message"), text, title, units);
    closeOn(window, units.yes);
    closeOn(window, units.close);
    window->execModal();
    resetDressing(window);
    delete window;
}

bool askConfirm(const QString &text, const QString &title)
{
    qCInfo(logShell).noquote() << "asked:" << text;
    bool confirmAnswer = false;
    PromptUnits units;
    LayoutWindow *window = openPromptWindow(QStringLiteral("confirm"), text, title, units);
    closeOn(window, units.yes, [&confirmAnswer] { confirmAnswer = true; });
    closeOn(window, units.no, [&confirmAnswer] { confirmAnswer = false; });
    closeOn(window, units.close, [&confirmAnswer] { confirmAnswer = false; });
    window->execModal();
    resetDressing(window);
    delete window;
    return confirmAnswer;
}

void WindowPrompter::showMessage(const QString &text)
{
    progressReport().stepAside();
    ::showMessage(text);
}

bool WindowPrompter::askConfirm(const QString &text)
{
    progressReport().stepAside();
    return ::askConfirm(text);
}

void WindowPrompter::beginProgress(const QString &what, qint64 total, bool cancellable)
{
    progressReport().begin(what, total, cancellable);
}

bool WindowPrompter::stepProgress(qint64 done)
{
    return progressReport().step(done);
}

void WindowPrompter::endProgress()
{
    progressReport().end();
}

QString WindowPrompter::pickOpenFile(const QString &filter, const QString &defaultExtension)
{
    progressReport().stepAside();
    FileDialog dialog;
    dialog.setFilter(filter);
    dialog.setDefaultExtension(QString(defaultExtension).remove(QStringLiteral("*.")));
    const bool chosen = dialog.showOpen(QApplication::activeWindow());
    filterChosen = dialog.chosenFilter();
    return chosen ? dialog.fileName() : QString();
}

QString WindowPrompter::pickSaveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName)
{
    return pickSaveFile(filter, defaultExtension, proposedName, true);
}

QString WindowPrompter::pickFileToAddTo(const QString &filter, const QString &defaultExtension, const QString &proposedName)
{
    return pickSaveFile(filter, defaultExtension, proposedName, false);
}

QString WindowPrompter::pickSaveFile(const QString &filter, const QString &defaultExtension, const QString &proposedName,
                                     bool confirmOverwrite)
{
    progressReport().stepAside();
    FileDialog dialog;
    dialog.setFilter(filter);
    dialog.setDefaultExtension(QString(defaultExtension).remove(QStringLiteral("*.")));
    dialog.setFileName(proposedName);
    dialog.setConfirmOverwrite(confirmOverwrite);
    const bool chosen = dialog.showSave(QApplication::activeWindow());
    filterChosen = dialog.chosenFilter();
    return chosen ? dialog.fileName() : QString();
}

WindowPrompter &windowPrompter()
{
    static WindowPrompter prompter;
    return prompter;
}
