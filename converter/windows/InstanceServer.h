#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// One converter per user and program folder: a later start hands its files to
// the window already open and ends, as opening files from a file manager
// expects.
class TInstanceServer : public QObject {
    Q_OBJECT

public:
    explicit TInstanceServer(QObject* parent = nullptr);

    // The socket a converter on programFolder listens on, private to the user.
    static QString SocketPath(const QString& programFolder);

    // Hands the files to the converter listening on socketPath and returns
    // true once it took them; otherwise this process becomes the one that
    // listens and returns false. Two starts at once never both listen.
    bool HandOverOrListen(const QString& socketPath, const QStringList& files);

Q_SIGNALS:
    // A later start handed these files over (possibly none: show the window).
    void FilesArrived(const QStringList& files);

private:
    void accept();

    QLocalServer* m_server = nullptr;
};

// The files named on a command line, absolute against the caller's folder.
// "--" ends nothing but itself, so a file named "-x" can be given as "-- -x";
// file URLs become their paths.
QStringList FileArguments(const QStringList& arguments, const QString& workingFolder);
