#include "singleinstance.h"

#include "common/settingkeys.h"
#include "common/numbers.h"
#include "common/program.h"
#include "common/settings.h"

#include <QLocalSocket>

#include <unistd.h>

SingleInstance::SingleInstance(const QString &instanceName, QObject *parent) : QObject(parent), name(instanceName)
{
    connect(&server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
}

QString SingleInstance::programInstanceName()
{
    const QString test = qEnvironmentVariable("KELM_TEST_INSTANCE");
    if (!test.isEmpty())
        return test;
    return applicationTitle + u'.' + QString::number(getuid());
}

bool SingleInstance::claim()
{
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(1000))
        return false;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(name)) {
        // A socket left behind by a copy that did not end normally: nobody answers on it.
        QLocalServer::removeServer(name);
        server.listen(name);
    }
    return true;
}

void SingleInstance::handOver()
{
    writeSetting(SettingKey::programSection, SettingKey::secondCopy, QStringLiteral("1"));
    const qint64 handle = truncateToInteger(textToNumber(readSetting(SettingKey::programSection, SettingKey::windowHandle)));
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return;
    socket.write(QByteArray::number(handle) + '\n');
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
}

void SingleInstance::readRequest()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto read = [this, socket] {
            while (socket->canReadLine())
                emit showRequested(socket->readLine().trimmed().toLongLong());
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        read();
    }
}
