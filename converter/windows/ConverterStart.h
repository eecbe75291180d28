#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TfrmMain;
class TInstanceServer;

// The converter as a command line starts it: its window, queuing the files
// named and those later starts hand over, or, when a converter is already
// running on this program folder, nothing but the files handed to it.
struct TConverterStart {
    std::unique_ptr<TInstanceServer> server;
    std::unique_ptr<TfrmMain> window;  // null when handed over or on error
    QString error;                     // why the window cannot run

    TConverterStart();
    TConverterStart(TConverterStart&&) noexcept;
    ~TConverterStart();
};

// Needs the program folder set. The window is shown.
TConverterStart StartConverter(const QStringList& arguments, const QString& workingFolder);
