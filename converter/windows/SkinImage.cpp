#include "windows/SkinImage.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

TSkinPicture::TSkinPicture(const QString& file) : m_file(file)
{
    if (file.isEmpty()) return;
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == u"svg" || suffix == u"svgz") {
        auto svg = std::make_unique<QSvgRenderer>(file);
        if (svg->isValid()) m_svg = std::move(svg);
        return;
    }
    QImageReader reader(file);
    reader.setAutoTransform(true);
    m_image = reader.read();
}

TSkinPicture::TSkinPicture() = default;
TSkinPicture::~TSkinPicture() = default;
TSkinPicture::TSkinPicture(TSkinPicture&&) noexcept = default;
TSkinPicture& TSkinPicture::operator=(TSkinPicture&&) noexcept = default;

bool TSkinPicture::IsValid() const { return m_svg || !m_image.isNull(); }

QSize TSkinPicture::NaturalSize() const
{
    if (m_svg) return m_svg->defaultSize();
    return m_image.size();
}

void TSkinPicture::Paint(QPainter& painter, const QRect& rect) const
{
    if (!IsValid() || rect.isEmpty()) return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(rect.size()) * ratio).toSize();
    // Drawn once per size and pixel ratio: a repaint costs a blit, and the
    // picture is still rendered at the device's own resolution.
    if (m_cache.size() != pixels || !qFuzzyCompare(m_cache.devicePixelRatio(), ratio)) {
        QImage canvas;
        if (m_svg) {
            canvas = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::transparent);
            QPainter svgPainter(&canvas);
            svgPainter.setRenderHint(QPainter::Antialiasing);
            m_svg->render(&svgPainter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        } else {
            canvas = m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        m_cache = QPixmap::fromImage(canvas);
        m_cache.setDevicePixelRatio(ratio);
    }
    painter.drawPixmap(rect.topLeft(), m_cache);
}

TSkinImage::TSkinImage(QWidget* parent) : QWidget(parent) {}

void TSkinImage::SetPicture(const QString& file)
{
    m_picture = TSkinPicture(file);
    updateGeometry();
    update();
}

QSize TSkinImage::sizeHint() const
{
    const QSize natural = m_picture.NaturalSize();
    return natural.isEmpty() ? QSize(0, 0) : natural;
}

void TSkinImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_picture.Paint(painter, rect());
}

void TSkinImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    Q_EMIT Pressed(event->globalPosition().toPoint());
    event->accept();
}

void TSkinImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    Q_EMIT DoubleClicked(event->globalPosition().toPoint());
    event->accept();
}
