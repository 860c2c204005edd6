#pragma once
// Small event filters the pages hang on their units.
#include <QEvent>
#include <QKeyEvent>
#include <QObject>

#include <functional>

// Enter in a box runs the action; the key goes no further.
class EnterKey : public QObject
{
public:
    EnterKey(QObject *parent, std::function<void()> action) : QObject(parent), action(std::move(action)) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        action();
        return true;
    }

private:
    std::function<void()> action;
};

// Runs the action on every event of one type that reaches the watched object; the event is taken
// when the action returns true.
template<class Event>
class EventAction : public QObject
{
public:
    EventAction(QObject *parent, QEvent::Type type, std::function<bool(Event *)> action)
        : QObject(parent), type(type), action(std::move(action))
    {
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == type && action(static_cast<Event *>(event));
    }

private:
    QEvent::Type type;
    std::function<bool(Event *)> action;
};

// A key pressed in a box, handed to an action that says whether it took the key.
class KeyAction : public EventAction<QKeyEvent>
{
public:
    KeyAction(QObject *parent, std::function<bool(QKeyEvent *)> action)
        : EventAction(parent, QEvent::KeyPress, std::move(action))
    {
    }
};
