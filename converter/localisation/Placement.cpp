#include "localisation/Placement.h"

#include "base/IniFile.h"

#include <algorithm>

QRect ClampToScreen(const QRect& bounds, const QRect& screen)
{
    const int width = std::min(bounds.width(), screen.width());
    const int height = std::min(bounds.height(), screen.height());
    int x = bounds.x();
    int y = bounds.y();
    if (x + width > screen.x() + screen.width()) x = screen.x() + screen.width() - width;
    if (y + height > screen.y() + screen.height()) y = screen.y() + screen.height() - height;
    return {std::max(x, screen.x()), std::max(y, screen.y()), width, height};
}

WindowPlacement ReadWindowPlacement(const IniFile& file, const QString& section,
                                    const QRect& currentBounds)
{
    WindowPlacement placement;
    placement.maximized = file.readBool(section, QStringLiteral("maximized"), false);
    placement.bounds =
        QRect(file.readInteger(section, QStringLiteral("x"), currentBounds.x()),
              file.readInteger(section, QStringLiteral("y"), currentBounds.y()),
              file.readInteger(section, QStringLiteral("width"), currentBounds.width()),
              file.readInteger(section, QStringLiteral("height"), currentBounds.height()));
    return placement;
}

void WriteWindowPlacement(IniFile& file, const QString& section, const WindowPlacement& placement)
{
    file.setInteger(section, QStringLiteral("x"), placement.bounds.x());
    file.setInteger(section, QStringLiteral("y"), placement.bounds.y());
    file.setInteger(section, QStringLiteral("height"), placement.bounds.height());
    file.setInteger(section, QStringLiteral("width"), placement.bounds.width());
    file.setBool(section, QStringLiteral("maximized"), placement.maximized);
    file.commit();
}
