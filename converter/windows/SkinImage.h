#pragma once

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

class QPainter;
class QSvgRenderer;

// A picture file drawn at any size: SVG is rendered at the device's pixel
// ratio so that it stays sharp when scaled, other formats are smoothed.
class TSkinPicture {
public:
    TSkinPicture();
    explicit TSkinPicture(const QString& file);
    ~TSkinPicture();
    TSkinPicture(TSkinPicture&&) noexcept;
    TSkinPicture& operator=(TSkinPicture&&) noexcept;

    const QString& File() const { return m_file; }
    // False for no file and for a file that could not be read.
    bool IsValid() const;
    // The picture's own size; empty when invalid.
    QSize NaturalSize() const;
    // Stretches the picture over rect.
    void Paint(QPainter& painter, const QRect& rect) const;

private:
    QString m_file;
    std::unique_ptr<QSvgRenderer> m_svg;
    QImage m_image;
    mutable QPixmap m_cache;  // the last rendering, at its size and pixel ratio
};

// A picture stretched over the widget: the background and the toolbar's
// separators. Presses are reported so the window can be dragged by them.
class TSkinImage : public QWidget {
    Q_OBJECT

public:
    explicit TSkinImage(QWidget* parent = nullptr);

    void SetPicture(const QString& file);
    QString Picture() const { return m_picture.File(); }
    bool HasPicture() const { return m_picture.IsValid(); }
    // The picture's own size, so a layout can hold it.
    QSize sizeHint() const override;

Q_SIGNALS:
    void Pressed(QPoint globalPos);
    void DoubleClicked(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TSkinPicture m_picture;
};
