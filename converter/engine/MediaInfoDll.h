#pragma once

#include <QString>

#include <optional>

// The media library's complete text report of a file; nothing, with the
// reason in error, when the library cannot open it.
std::optional<QString> MediaInfoReport(const QString& path, QString& error);
