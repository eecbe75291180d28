#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtDebug>

using namespace Qt::StringLiterals;

// render_icons ICON.svg THEME_DIR NAME SIZE...
// Draws the SVG at each size into THEME_DIR/<size>x<size>/apps/NAME.png, the
// layout of an icon theme, for desktops that do not scale SVG icons.
int main(int argc, char* argv[])
{
    // No application object: drawing shapes into an image needs no display,
    // which a build may not have.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.size() < 5) {
        qCritical("usage: render_icons ICON.svg THEME_DIR NAME SIZE...");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        qCritical().noquote() << u"Cannot read the icon"_s << args.at(1);
        return 1;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0) {
            qCritical().noquote() << u"Not an icon size:"_s << args.at(i);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();

        const QString folder = u"%1/%2x%2/apps"_s.arg(args.at(2), QString::number(size));
        const QString path = folder + u'/' + args.at(3) + u".png"_s;
        if (!QDir().mkpath(folder) || !image.save(path, "PNG")) {
            qCritical().noquote() << u"Cannot write"_s << path;
            return 1;
        }
    }
    return 0;
}
