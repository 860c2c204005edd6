#pragma once
// One running copy of the program. The first copy listens on a local socket named after the
// application title (and the user); a later copy finds it, records the hand-over in the settings,
// asks the first copy to show its main window, and ends.
#include <QLocalServer>
#include <QObject>

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);

    // True when no other copy runs: this copy now holds the name. False when another copy runs.
    bool claim();
    // The second copy's part: "cx"/"yyx" = "1", then the window handle the settings name is sent
    // to the first copy, which shows and restores its main window.
    void handOver();

    // The socket name of this program: the application title and the user's number. Tests run
    // their copies under the name in KELM_TEST_INSTANCE instead, away from a copy in real use.
    static QString programInstanceName();

signals:
    void showRequested(qint64 windowHandle);

private:
    void readRequest();

    QString name;
    QLocalServer server;
};
