#include "engine/FactsReader.h"

#include "engine/MediaInfoDll.h"
#include "localisation/MessageTable.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// One slice of delivery ends after this many files or milliseconds, whichever
// comes first, and the event loop gets its turn: a receiver that adds a row
// per file must not hold a window still.
constexpr int SliceFiles = 64;
constexpr qint64 SliceMs = 8;

}  // namespace

TFactsReader::TFactsReader(QObject* parent) : TFactsReader(ReadFileFacts, parent) {}

TFactsReader::TFactsReader(TReadFacts read, QObject* parent)
    : QObject(parent), m_read(std::move(read))
{
    // Reading facts mostly waits for the disk on small files: two threads
    // help even on one core.
    m_pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

TFactsReader::~TFactsReader()
{
    {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
        m_frontSerial = m_nextSerial;
    }
    m_pool.clear();
    m_pool.waitForDone();
}

void TFactsReader::Add(const QStringList& paths) { Add(paths, Msg(MSG_EMPTY_STR)); }

void TFactsReader::Add(const QStringList& paths, const QString& placeholder)
{
    if (paths.isEmpty()) return;
    {
        QMutexLocker lock(&m_mutex);
        for (const QString& path : paths)
            m_entries.push_back(Entry{path, std::nullopt, false});
    }
    for (const QString& path : paths) {
        const qint64 serial = m_nextSerial++;
        m_pool.start([this, serial, path, placeholder] { readOne(serial, path, placeholder); });
    }
    m_total += static_cast<int>(paths.size());
    Q_EMIT Progress(m_done, m_total);
}

void TFactsReader::Cancel()
{
    if (!Busy()) return;
    {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
        m_frontSerial = m_nextSerial;
    }
    m_pool.clear();
    finishBatch();
}

void TFactsReader::readOne(qint64 serial, const QString& path, const QString& placeholder)
{
    {
        QMutexLocker lock(&m_mutex);
        if (serial < m_frontSerial) return;  // dropped before it started
    }
    TFileItem item = m_read(path, placeholder);
    const bool readable = item.CompleteName != placeholder && item.FileSize != placeholder;

    QMutexLocker lock(&m_mutex);
    const qint64 index = serial - m_frontSerial;
    if (index < 0 || index >= static_cast<qint64>(m_entries.size())) return;
    Entry& entry = m_entries[static_cast<std::size_t>(index)];
    entry.Item = std::move(item);
    entry.Readable = readable;
    // The owner only waits when the oldest file is missing; later ones wait
    // for it anyway.
    if (index == 0 && !m_wakePosted) {
        m_wakePosted = true;
        QMetaObject::invokeMethod(this, &TFactsReader::deliverSlice, Qt::QueuedConnection);
    }
}

void TFactsReader::deliverSlice()
{
    {
        QMutexLocker lock(&m_mutex);
        m_wakePosted = false;
    }
    // A receiver may run a modal loop, for a message box; files wait for it
    // to return instead of arriving inside it.
    if (m_delivering) return;
    m_delivering = true;
    const auto done = qScopeGuard([this] { m_delivering = false; });
    const int batch = m_batch;
    QElapsedTimer clock;
    clock.start();
    int delivered = 0;
    while (delivered < SliceFiles && clock.elapsed() < SliceMs) {
        Entry entry;
        {
            QMutexLocker lock(&m_mutex);
            if (m_entries.empty() || !m_entries.front().Item) break;
            entry = std::move(m_entries.front());
            m_entries.pop_front();
            ++m_frontSerial;
        }
        ++m_done;
        ++delivered;
        Q_EMIT FactsRead(entry.Path, *entry.Item, entry.Readable);
        if (m_batch != batch) return;  // a receiver cancelled
    }
    if (delivered == 0) return;
    Q_EMIT Progress(m_done, m_total);
    if (m_batch != batch) return;
    if (m_done == m_total) {
        finishBatch();
        return;
    }
    bool ready = false;
    {
        QMutexLocker lock(&m_mutex);
        ready = !m_entries.empty() && m_entries.front().Item;
    }
    if (ready) QTimer::singleShot(0, this, &TFactsReader::deliverSlice);
}

void TFactsReader::finishBatch()
{
    m_done = 0;
    m_total = 0;
    ++m_batch;
    Q_EMIT Finished();
}
