#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>
#include <QThread>

// The processes of this machine as /proc shows them, for tests that kill a
// front and look for what it started.

struct ProcessEntry {
    qint64 pid = 0;
    qint64 parent = 0;
    char state = '?';
    QString command;  // the command line, arguments joined by blanks
};

inline QMap<qint64, ProcessEntry> processTable()
{
    QMap<qint64, ProcessEntry> table;
    for (const QString& name : QDir("/proc").entryList(QDir::Dirs)) {
        const qint64 pid = name.toLongLong();
        if (pid <= 0) continue;
        QFile stat("/proc/" + name + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) continue;
        // "pid (comm) state ppid ...": comm may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0) continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() < 2) continue;
        ProcessEntry entry;
        entry.pid = pid;
        entry.state = fields.at(0).isEmpty() ? '?' : fields.at(0).at(0);
        entry.parent = fields.at(1).toLongLong();
        QFile cmdline("/proc/" + name + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly))
            entry.command = QString::fromLocal8Bit(cmdline.readAll().replace('\0', ' ')).trimmed();
        table.insert(pid, entry);
    }
    return table;
}

// Every living descendant of a process, at any depth.
inline QList<ProcessEntry> descendantsOf(qint64 root)
{
    const QMap<qint64, ProcessEntry> table = processTable();
    QList<ProcessEntry> found;
    QList<qint64> parents{root};
    while (!parents.isEmpty()) {
        const qint64 parent = parents.takeFirst();
        for (const ProcessEntry& entry : table) {
            if (entry.parent != parent || entry.state == 'Z') continue;
            found << entry;
            parents << entry.pid;
        }
    }
    return found;
}

// Those of the given processes that still live, as "pid: command".
inline QStringList stillAlive(const QList<ProcessEntry>& processes)
{
    const QMap<qint64, ProcessEntry> table = processTable();
    QStringList alive;
    for (const ProcessEntry& process : processes) {
        const auto now = table.constFind(process.pid);
        // A new process under a reused id has another command line.
        if (now != table.constEnd() && now->state != 'Z' && now->command == process.command)
            alive << QString::number(process.pid) + ": " + process.command;
    }
    return alive;
}

// Lets time pass where a test must see that nothing happens later (an
// encoder that would have finished its file by then). The one fixed wait of
// the tests: it never decides a result by itself.
inline void letTimePass(int milliseconds) { QThread::msleep(milliseconds); }
