#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// Ticks every millisecond on the thread that starts it; the longest time
// between two ticks is the longest time that thread's event loop was held
// (the queue benchmark's measure, and the tests' for a responsive window).
class EventLoopProbe {
public:
    EventLoopProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
            m_sinceTick.start();
        });
    }
    void start()
    {
        m_longestNs = 0;
        m_sinceTick.start();
        m_timer.start();
    }
    // Counts the stretch up to now as well: a loop held until the end shows.
    void stop()
    {
        m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
        m_timer.stop();
    }
    double longestGapMs() const { return double(m_longestNs) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestNs = 0;
};
