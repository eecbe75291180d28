#include "engine/MediaInfoDll.h"

#include <QFileInfo>

#include <cstddef>

using namespace Qt::StringLiterals;

// The library's C interface, narrow-character flavour.
extern "C" {
void* MediaInfoA_New();
void MediaInfoA_Delete(void* handle);
std::size_t MediaInfoA_Open(void* handle, const char* file);
void MediaInfoA_Close(void* handle);
const char* MediaInfoA_Inform(void* handle, std::size_t reserved);
const char* MediaInfoA_Option(void* handle, const char* option, const char* value);
}

namespace {

// One open file of the library, closed and freed on every path out.
class MediaInfoHandle {
public:
    MediaInfoHandle() : m_handle(MediaInfoA_New())
    {
        // Names and reports are UTF-8 whatever the locale says.
        if (m_handle) MediaInfoA_Option(m_handle, "CharSet", "UTF-8");
    }
    ~MediaInfoHandle()
    {
        if (!m_handle) return;
        if (m_open) MediaInfoA_Close(m_handle);
        MediaInfoA_Delete(m_handle);
    }
    MediaInfoHandle(const MediaInfoHandle&) = delete;
    MediaInfoHandle& operator=(const MediaInfoHandle&) = delete;

    bool open(const QString& path)
    {
        m_open = m_handle && MediaInfoA_Open(m_handle, path.toUtf8().constData()) != 0;
        return m_open;
    }
    QString inform() const { return QString::fromUtf8(MediaInfoA_Inform(m_handle, 0)); }

private:
    void* m_handle;
    bool m_open = false;
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
    return handle.inform().trimmed();
}
