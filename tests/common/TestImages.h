#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

// A 160x120 JPEG of one colour, the size of the console's thumbnails.
inline QByteArray jpegOf(const QColor& colour)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}
