#pragma once
// A program folder of its own for each test (the built skin and an empty data folder), a settings
// store of its own, and a way to answer the modal windows the program opens.
#include "common/program.h"
#include "dataaccess/instances.h"
#include "ui/layoutwindow.h"
#include "ui/units.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

struct ProgramFolder
{
    QTemporaryDir dir;
    ProgramFolder(bool withSkin = true)
    {
        QDir(dir.path()).mkpath("data");
        QDir(dir.path()).mkpath("Skin");
        if (withSkin)
            QFile::copy(QStringLiteral(KELM_BIN_DIR "/Skin/Green.cskn"), dir.filePath("Skin/Green.cskn"));
        setProgramDirectory(dir.path());
    }
    ~ProgramFolder()
    {
        directoryRecordset.Close();
        directoryConnection.Close();
    }
    QString path(const QString &relative) const { return dir.filePath(relative); }
};

// The user's ledger and the user directory closed, as after a test that logged in.
inline void closeSessionData()
{
    for (DbRecordset *r : {&userRecordset, &directoryRecordset})
        r->Close();
    for (DbConnection *c : {&userConnection, &directoryConnection})
        c->Close();
}

// The unit of that name. When the window lacks it, the running test fails there with the window's
// and the unit's names and goes on with a stand-in, instead of dereferencing null.
template<class T>
// The caller's place comes from the compiler's builtins, which clang 14 has where std::source_location
// is missing.
T *unitOf(LayoutWindow *window, const QString &name, const char *file = __builtin_FILE(), int line = __builtin_LINE())
{
    if (T *found = window->unit<T>(name))
        return found;
    QTest::qFail(qPrintable(QStringLiteral("%1 has no unit %2 of kind %3")
                                .arg(window->layoutName(), name, QLatin1String(T::staticMetaObject.className()))),
                 file, line);
    return window->requiredUnit<T>(name);
}

// What a modal window showed when it was answered.
struct PromptSeen
{
    QString window; // the layout name, "message" or "confirm", or the class of another window
    QString title;
    QString text;
};

// Answers every modal window that opens, in turn, by clicking the named unit (or, for a window of
// another kind, by closing it), and records what each showed.
class PromptAnswerer : public QObject
{
public:
    QList<PromptSeen> seen;
    QStringList buttons; // taken in order; none left: "图形按钮1"

    PromptAnswerer()
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, &PromptAnswerer::answer);
        timer.start();
    }

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == last)
            return;
        last = modal;
        PromptSeen prompt;
        if (auto *window = qobject_cast<LayoutWindow *>(modal)) {
            prompt.window = window->layoutName();
            if (auto *title = window->unit<TransparentLabel>(QStringLiteral("标题标签")))
                prompt.title = title->text();
            if (auto *text = window->unit<TransparentLabel>(QStringLiteral("提示内容标签")))
                prompt.text = text->text();
            seen.append(prompt);
            const QString button = buttons.isEmpty() ? QStringLiteral("图形按钮1") : buttons.takeFirst();
            if (auto *unit = window->unit<GraphicButton>(button))
                QTimer::singleShot(0, unit, [unit] { unit->click(); });
            else
                QTimer::singleShot(0, window, [window] { window->close(); });
        } else {
            prompt.window = QString::fromLatin1(modal->metaObject()->className());
            prompt.title = modal->windowTitle();
            if (auto *label = modal->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
                prompt.text = label->text();
            seen.append(prompt);
            QTimer::singleShot(0, modal, [modal] { modal->close(); });
        }
    }

    QTimer timer;
    QPointer<QWidget> last;
};
