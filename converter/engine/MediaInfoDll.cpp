#include "engine/MediaInfoDll.h"

#include "base/FileFunctions.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The library's C interface, narrow-character flavour.
extern "C" {
void* MediaInfoA_New();
void MediaInfoA_Delete(void* handle);
std::size_t MediaInfoA_Open(void* handle, const char* file);
void MediaInfoA_Close(void* handle);
const char* MediaInfoA_Inform(void* handle, std::size_t reserved);
const char* MediaInfoA_Get(void* handle, int streamKind, std::size_t streamNumber,
                           const char* parameter, int kindOfInfo, int kindOfSearch);
const char* MediaInfoA_Option(void* handle, const char* option, const char* value);
}

namespace {

// The library's kinds of information.
constexpr int InfoName = 0;
constexpr int InfoText = 1;

// The character set is one flag of the whole library, not of a handle:
// setting it while other threads convert names would race. Its first handle
// also sets up the library's tables, so that is done here too, once.
void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        MediaInfoA_Option(nullptr, "CharSet", "UTF-8");
        if (void* warmUp = MediaInfoA_New()) MediaInfoA_Delete(warmUp);
    });
}

// The library reads names as UTF-8 but hands them to the system through the
// C locale, which need not be UTF-8 (LANG=C); such a locale loses every name
// that is not plain ASCII.
bool libraryTakesName(const QByteArray& name)
{
    const bool ascii =
        std::all_of(name.cbegin(), name.cend(), [](char c) { return (c & 0x80) == 0; });
    return ascii || std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
}

// One open file of the library, closed and freed on every path out.
class MediaInfoHandle {
public:
    MediaInfoHandle()
    {
        initialiseLibrary();
        m_handle = MediaInfoA_New();
    }
    ~MediaInfoHandle()
    {
        if (!m_handle) return;
        if (m_open) MediaInfoA_Close(m_handle);
        MediaInfoA_Delete(m_handle);
    }
    MediaInfoHandle(const MediaInfoHandle&) = delete;
    MediaInfoHandle& operator=(const MediaInfoHandle&) = delete;

    bool open(const QByteArray& name)
    {
        m_open = m_handle && MediaInfoA_Open(m_handle, name.constData()) != 0;
        return m_open;
    }
    bool open(const QString& path) { return open(QFile::encodeName(path)); }
    QString inform() const { return QString::fromUtf8(MediaInfoA_Inform(m_handle, 0)); }
    QString get(TStreamKind kind, const char* parameter) const
    {
        return QString::fromUtf8(
            MediaInfoA_Get(m_handle, static_cast<int>(kind), 0, parameter, InfoText, InfoName));
    }

private:
    void* m_handle = nullptr;
    bool m_open = false;
};

// A descriptor closed on every path out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

std::optional<QString> MediaInfoReport(const QString& path, QString& error)
{
    if (!QFileInfo(path).isFile()) {
        error = u"No such file"_s;
        return std::nullopt;
    }
    MediaInfoHandle handle;
    if (!handle.open(path)) {
        error = u"The media library cannot read this file"_s;
        return std::nullopt;
    }
    // Today's library describes any file it can open, media or not.
    if (handle.get(TStreamKind::General, "Format").isEmpty()) {
        error = u"Not a media file: the media library knows no format in it"_s;
        return std::nullopt;
    }
    return handle.inform().trimmed();
}

TFileItem ReadFileFacts(const QString& path, const QString& placeholder)
{
    TFileItem item;
    const QFileInfo info(path);
    item.FileName = info.fileName();
    item.FilePath = AddTrailingBackslash(info.absolutePath());
    for (const TFileFact& fact : FileFacts)
        item.*fact.Field = placeholder;

    // Checked on a descriptor of our own, opened without blocking, so a FIFO
    // or a device never holds the thread.
    const QByteArray name = QFile::encodeName(path);
    const FileDescriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return item;

    // By name where the library can take it, so that it sees the extension
    // and tries the right parser first; through our descriptor otherwise.
    MediaInfoHandle handle;
    const QByteArray fdPath = QByteArray("/proc/self/fd/") + QByteArray::number(fd.get());
    const bool opened = handle.open(libraryTakesName(name) ? name : fdPath);
    // Today's library describes any file it can open; one whose format it
    // does not know is no media file for us.
    if (!opened || handle.get(TStreamKind::General, "Format").isEmpty()) return item;

    for (const TFileFact& fact : FileFacts) {
        QString value = handle.get(fact.Kind, fact.Parameter);
        if (value.isEmpty() && fact.Fallback) value = handle.get(fact.Kind, fact.Fallback);
        item.*fact.Field = OrPlaceholder(value, placeholder);
    }
    // The caller's name, also where the library was handed our descriptor.
    if (item.CompleteName != placeholder) item.CompleteName = path;
    return item;
}
