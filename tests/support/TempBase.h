#pragma once
// A temporary base folder for one test, removed afterwards, with helpers to
// put the shipped data files and test files into it.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class TempBase
{
public:
    TempBase();
    const QString &path() const { return m_path; }
    QString file(const QString &relative) const;

    // Copies the shipped instruction texts and DemoCalls.txt.
    void CopyShippedData() const;
    void Write(const QString &relative, const QByteArray &bytes) const;
    // Lines joined with CR LF, each followed by one.
    void WriteLines(const QString &relative, const QStringList &lines) const;
    QByteArray Read(const QString &relative) const;
    void SetModified(const QString &relative, const QDateTime &time) const;
    // A configuration with the given lines and the data files it needs.
    void WriteConfig(const QStringList &lines) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// While it lives, no file of this process can grow past `bytes`: writes
// beyond fail as they do on a full disk, for any user.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();

private:
    qint64 m_saved;
};

// A PCM wave file of the given format and length, filled with a quiet tone.
QByteArray MakeWave(int sampleRate, int bits, int channels, int milliseconds);

// The text of the StationError that `action` raises; empty when it raises none.
QString StationErrorOf(const std::function<void()> &action);
