#pragma once

#include "base/globals.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <deque>
#include <functional>
#include <optional>

// Reads the facts of queued files on a pool of threads, several files at
// once, and hands them out on the owner's thread in the order they were
// added. Delivery comes in short slices from the event loop, so a window
// adding a thousand files keeps repainting and answering in between.
class TFactsReader : public QObject {
    Q_OBJECT

public:
    using TReadFacts = std::function<TFileItem(const QString& path, const QString& placeholder)>;

    explicit TFactsReader(QObject* parent = nullptr);
    // read stands in for the media library; it is called on pool threads.
    explicit TFactsReader(TReadFacts read, QObject* parent = nullptr);
    // Waits for the reads in flight; nothing is delivered any more.
    ~TFactsReader() override;
    Q_DISABLE_COPY_MOVE(TFactsReader)

    // Queues files behind those still pending. Empty facts read as the
    // MSG_EMPTY_STR text current now, or as placeholder.
    void Add(const QStringList& paths);
    void Add(const QStringList& paths, const QString& placeholder);
    // Drops every file not yet delivered; reads in flight finish unseen.
    // Finished follows at once when anything was pending.
    void Cancel();

    bool Busy() const { return Pending() > 0; }
    // Files added and not yet delivered.
    int Pending() const { return m_total - m_done; }

Q_SIGNALS:
    // One file's facts; never emitted again while a receiver still handles
    // the previous one. readable is false when its CompleteName or FileSize
    // is the placeholder it was added with: no media file the library reads.
    void FactsRead(const QString& path, const TFileItem& item, bool readable);
    // Files delivered and added since the reader was last idle.
    void Progress(int done, int total);
    // Everything added has been delivered or dropped.
    void Finished();

private:
    struct Entry {
        QString Path;
        std::optional<TFileItem> Item;
        bool Readable = false;
    };

    void readOne(qint64 serial, const QString& path, const QString& placeholder);
    void deliverSlice();
    void finishBatch();

    TReadFacts m_read;
    QThreadPool m_pool;

    // Shared with the pool threads.
    mutable QMutex m_mutex;
    std::deque<Entry> m_entries;  // not yet delivered, in the order added
    qint64 m_frontSerial = 0;     // serial number of m_entries.front()
    bool m_wakePosted = false;

    // The owner's thread only.
    qint64 m_nextSerial = 0;
    int m_done = 0;
    int m_total = 0;
    int m_batch = 0;  // changes when a batch ends, so a slice notices Cancel
    bool m_delivering = false;
};
