#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// A private folder of this process below a parent folder, named
// <prefix>.<pid>.<random> and removed with the object. Each batch keeps its
// scripts in one, so batches running at once never share a file; folders
// left by a process that died are swept when the next one is made there.
class TPrivateFolder {
public:
    TPrivateFolder(const QString& parent, const QString& prefix);
    bool IsValid() const { return m_dir.isValid(); }
    // The folder's path, ending in '/'.
    QString Path() const { return m_dir.path() + u'/'; }

private:
    QTemporaryDir m_dir;
};

// The private folder of a batch's scripts, in the program folder.
inline const QString BatchFolderPrefix = QStringLiteral("~ConvertCore");
// The private folder a device item writes into, in the output folder: its
// files reach the output folder together once the item succeeded.
inline const QString StagingFolderPrefix = QStringLiteral(".~clipforge");

// Moves every file of the staging folder into the folder under its own name,
// never replacing a file. All or none: on a clash the files already moved are
// removed again and the reason is put in error. The moved paths, the file
// named mainName (compared without case) first.
std::optional<QStringList> MoveOutputs(const QString& staging, const QString& folder,
                                       const QString& mainName, QString& error);
