#pragma once
// The progress window of long work: what is being done, a bar with the share done, and "取消"
// for work that can stop.
//
// The work runs on the GUI thread, in steps. Each step that comes at least 50 ms after the last
// lets the window repaint and hear its button; meanwhile the other windows take no input. A worker
// thread would need its own database connection and would have to carry every question of the
// operation back to this thread; the steps keep the connection with the one thread that opened it.
// The window shows only once the work has lasted 400 ms, so short work never flashes it.
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>

class LayoutWindow;

class ProgressReport
{
public:
    // Work inside work (a safety copy before a restore) shows its own text until it ends.
    void begin(const QString &what, qint64 total, bool cancellable);
    bool step(qint64 done);
    void end();
    // A message or question comes first: the window steps aside until the next step.
    void stepAside();

    LayoutWindow *window() const { return shown; }
    bool running() const { return !levels.isEmpty(); }

private:
    struct Level
    {
        QString what;
        qint64 total = 0;
        bool cancellable = false;
        qint64 done = 0;
    };
    void showWindow();
    void showLevel();

    QList<Level> levels;
    QElapsedTimer started, sinceRepaint;
    bool cancelled = false;
    QPointer<LayoutWindow> shown;
};

// The one report the program's prompter uses.
ProgressReport &progressReport();
