#include "windows/InstanceServer.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int ReplyTimeoutMs = 10000;
constexpr char Taken = 'k';

// A running converter answers at once; a hung one must not hold the new start
// for long, so the new one then opens a window of its own.
bool handOver(const QString& socketPath, const QStringList& files)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(ReplyTimeoutMs)) return false;
    QByteArray message;
    QDataStream packer(&message, QIODevice::WriteOnly);
    packer << files;
    QDataStream out(&socket);
    out << message;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(ReplyTimeoutMs)) return false;
    char reply = 0;
    return socket.getChar(&reply) && reply == Taken;
}

}  // namespace

TInstanceServer::TInstanceServer(QObject* parent) : QObject(parent) {}

QString TInstanceServer::SocketPath(const QString& programFolder)
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    // One folder reached through a link or with a trailing separator is still one.
    const QString folder = QFileInfo(programFolder).canonicalFilePath();
    const QByteArray key =
        QCryptographicHash::hash(
            (folder.isEmpty() ? QDir::cleanPath(programFolder) : folder).toUtf8(),
            QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return runtime + u"/clipforge-"_s + QString::number(getuid()) + u'-' + QString::fromLatin1(key);
}

bool TInstanceServer::HandOverOrListen(const QString& socketPath, const QStringList& files)
{
    // Between finding no converter and listening, another start must wait.
    QLockFile lock(socketPath + u".lock"_s);
    lock.tryLock(ReplyTimeoutMs);
    if (handOver(socketPath, files)) return true;
    // Nobody answered: a socket left behind by a converter that died is stale.
    QLocalServer::removeServer(socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TInstanceServer::accept);
    if (!m_server->listen(socketPath))
        qWarning("Cannot listen on %s: %s", qPrintable(socketPath),
                 qPrintable(m_server->errorString()));
    return false;
}

void TInstanceServer::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QByteArray message;
            stream >> message;
            if (!stream.commitTransaction()) return;
            QStringList files;
            QDataStream unpacker(message);
            unpacker >> files;
            socket->putChar(Taken);
            socket->flush();
            Q_EMIT FilesArrived(files);
        });
    }
}

QStringList FileArguments(const QStringList& arguments, const QString& workingFolder)
{
    QStringList files;
    const QDir base(workingFolder);
    for (const QString& argument : arguments) {
        if (argument == u"--"_s) continue;
        const QString path =
            argument.startsWith(u"file://"_s) ? QUrl(argument).toLocalFile() : argument;
        files << QDir::cleanPath(base.absoluteFilePath(path));
    }
    return files;
}
