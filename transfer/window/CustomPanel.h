#pragma once

#include <QWidget>

// The white, rounded frame behind each video list. Its text names the side
// for accessibility and is never drawn.
class CCustomPanel : public QWidget {
    Q_OBJECT

public:
    explicit CCustomPanel(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
