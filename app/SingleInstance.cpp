#include "app/SingleInstance.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "app/framework/QtText.h"

namespace brelko::app {

namespace {
constexpr int kWaitMs = 3000;

// Whose program it is: another user on the same machine (and the same
// settings file) gets a program of their own. On Windows the name is a named
// pipe, which every session of the machine sees.
std::string UserKey() {
#ifdef _WIN32
    // A pipe's name may hold any letter but a backslash; the user's name is
    // hashed so that none can get in. (The pipe itself admits its own user
    // only: UserAccessOption.)
    const QString user = qEnvironmentVariable("USERDOMAIN") + '\\' + qEnvironmentVariable("USERNAME").toLower();
    return QCryptographicHash::hash(user.toUtf8(), QCryptographicHash::Sha1).toHex().left(8).toStdString();
#else
    return std::to_string(::getuid());
#endif
}
}  // namespace

std::string SingleInstance::ServerName(const std::string& settingsPath) {
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(settingsPath), QCryptographicHash::Sha1);
    return "brelko-" + UserKey() + "-" + hash.toHex().left(12).toStdString();
}

SingleInstance::SingleInstance(const std::string& settingsPath) : m_strName(ServerName(settingsPath)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Listen(std::function<void(const std::string&)> open, std::function<void()> raise) {
    m_open = std::move(open);
    m_raise = std::move(raise);
    m_pServer = std::make_unique<QLocalServer>();
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(Q(m_strName))) {
        // A socket left by a program that crashed: nobody answers on it.
        QLocalServer::removeServer(Q(m_strName));
        if (!m_pServer->listen(Q(m_strName))) return false;
    }
    connect(m_pServer.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            auto files = std::make_shared<std::vector<std::string>>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, files] {
                // One path a line; the request ends with an empty line. The
                // answer goes before the files open: opening may ask questions.
                while (socket->canReadLine()) {
                    const QString line = QString::fromUtf8(socket->readLine()).chopped(1);
                    if (!line.isEmpty()) {
                        files->push_back(S(line));
                        continue;
                    }
                    socket->write("ok\n");
                    socket->flush();
                    QTimer::singleShot(0, this, [this, request = std::move(*files)] {
                        if (request.empty() && m_raise) m_raise();
                        for (const std::string& file : request)
                            if (m_open) m_open(file);
                    });
                    files->clear();
                }
            });
        }
    });
    return true;
}

bool SingleInstance::SendToRunning(const std::string& settingsPath, const std::vector<std::string>& files) {
    QLocalSocket socket;
    socket.connectToServer(Q(ServerName(settingsPath)));
    if (!socket.waitForConnected(kWaitMs)) return false;
    for (const std::string& file : files) socket.write(QByteArray::fromStdString(file) + '\n');
    socket.write("\n");
    if (!socket.waitForBytesWritten(kWaitMs)) return false;
    // The running program says it took them.
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(kWaitMs)) return false;
    return socket.readLine().startsWith("ok");
}

}  // namespace brelko::app
