#pragma once

#include <QWidget>

class QTimer;

// The progress window's "converting" picture: film frames pass through a
// glowing seam and come out recoloured. Painted here rather than played from
// a file, so it stays sharp at any scale.
class TConvertAnimation : public QWidget {
    Q_OBJECT

public:
    explicit TConvertAnimation(QWidget* parent = nullptr);

    void Start();
    void Stop();
    bool Running() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer = nullptr;
    int m_phase = 0;  // how far the film has moved, in pixels
};
