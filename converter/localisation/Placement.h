#pragma once

#include <QRect>
#include <QString>

class IniFile;

// A window's saved bounds and state.
struct WindowPlacement {
    QRect bounds;
    bool maximized = false;
};

// Bounds no larger than the screen and lying on it, left/top edge first.
QRect ClampToScreen(const QRect& bounds, const QRect& screen);

// Reads "maximized", "x", "y", "height", "width" of a section; the current
// bounds stand in for missing values.
WindowPlacement ReadWindowPlacement(const IniFile& file, const QString& section,
                                    const QRect& currentBounds);

// Writes "x", "y", "height", "width", then "maximized". Throws IniWriteError.
void WriteWindowPlacement(IniFile& file, const QString& section, const WindowPlacement& placement);
