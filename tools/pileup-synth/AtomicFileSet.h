#pragma once
// Writes a set of output files all or nothing: every file is opened through
// QSaveFile first and written; only when all of them succeeded are they
// committed, so a failed run leaves no half-written file and no new file
// beside an old one it should have replaced.

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

class AtomicFileSet
{
public:
    void add(const QString &path, QByteArray bytes) { m_files.emplace_back(path, std::move(bytes)); }

    // Writes every file; raises SynthError naming the file that failed.
    void write() const;

private:
    std::vector<std::pair<QString, QByteArray>> m_files;
};
