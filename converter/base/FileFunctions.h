#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

// The path functions keep their historical names; the separator is '/'.
QString AddTrailingBackslash(const QString& path);
QString StripTrailingBackslash(const QString& path);

// The path minus the extension of its file-name part.
QString PathWithoutExt(const QString& path);

// The extension of the file-name part with its dot, or "".
QString ExtractFileExt(const QString& path);

// name when folder/name is free, else name(1), name(2), ... up to (32768)
// with the counter before the extension. Nothing when all are taken: an
// output must never reuse a name the encoder would overwrite.
std::optional<QString> UniqueOutputName(const QString& name, const QString& folder);

// Replaces the file's content as a whole through a temporary file and a
// rename; false when any byte could not be written, the old file then stays.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The steps of an atomic write, where a test puts its faults: the temporary
// file is open, its bytes are written, it is about to replace the file, it
// has replaced it.
enum class TWriteStep { Opened, Written, Replacing, Replaced };
// Called at each step of every atomic write of this process; false makes
// the write fail there (after Replaced the answer is ignored: the file is new
// by then). Empty, the default: nothing is called.
using TWriteProbe = std::function<bool(const QString& path, TWriteStep step)>;
void SetWriteProbe(TWriteProbe probe);

// Size of a file in bytes, -1 when there is no such file.
// Renames a file without ever replacing one at the new name, also on file
// systems that cannot rename that way (a link and an unlink there). False
// when the new name is taken or the rename fails.
bool RenameNoReplace(const QString& from, const QString& to);

// Why a file cannot be queued for conversion, or "" when it can. A FIFO or a
// device would block the encoder forever, a folder is no media file; a file
// that does not exist is left for the encoder to report.
QString InputRefusal(const QString& path);

qint64 FileSizeOf(const QString& path);

// Deletes the file when it exists and is empty; true when it was deleted.
bool DeleteIfEmpty(const QString& path);

// The entry of folder whose name equals name without regard to case, the
// exact name preferred; "" when none does.
QString FindFileNoCase(const QString& folder, const QString& name);

// path with its file-name part looked up without regard to case; path itself
// when no entry matches.
QString ResolvePathNoCase(const QString& path);
