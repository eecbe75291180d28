#include "windows/ConverterStart.h"

#include "base/ProgramFolder.h"
#include "windows/InstanceServer.h"
#include "windows/Main.h"

TConverterStart::TConverterStart() = default;
TConverterStart::TConverterStart(TConverterStart&&) noexcept = default;
TConverterStart::~TConverterStart() = default;

TConverterStart StartConverter(const QStringList& arguments, const QString& workingFolder)
{
    TConverterStart start;
    const QStringList files = FileArguments(arguments, workingFolder);
    start.server = std::make_unique<TInstanceServer>();
    if (start.server->HandOverOrListen(TInstanceServer::SocketPath(ProgramFolder()), files))
        return start;
    start.window = std::make_unique<TfrmMain>(GlobalVars);
    if (!start.window->StartupError().isEmpty()) {
        start.error = start.window->StartupError();
        start.window.reset();
        return start;
    }
    QObject::connect(start.server.get(), &TInstanceServer::FilesArrived, start.window.get(),
                     &TfrmMain::OpenFiles);
    start.window->show();
    if (!files.isEmpty()) start.window->AddFiles(files);
    return start;
}
