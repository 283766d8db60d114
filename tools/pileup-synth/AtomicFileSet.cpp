#include "AtomicFileSet.h"

#include "SynthError.h"

#include <QSaveFile>

#include <memory>

void AtomicFileSet::write() const
{
    std::vector<std::unique_ptr<QSaveFile>> open;
    for (const auto &[path, bytes] : m_files) {
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly))
            throw SynthError(QStringLiteral("Cannot create file %1: %2").arg(path, file->errorString()));
        if (file->write(bytes) != bytes.size()) {
            const QString reason = file->errorString();
            file->cancelWriting();
            throw SynthError(QStringLiteral("Cannot write file %1: %2").arg(path, reason));
        }
        open.push_back(std::move(file));
    }
    // The unique_ptrs of files not committed discard their temporary files.
    for (auto &file : open) {
        if (!file->commit())
            throw SynthError(
                QStringLiteral("Cannot write file %1: %2").arg(file->fileName(), file->errorString()));
    }
}
