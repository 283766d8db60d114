#pragma once
// The one exception type of the station. It carries the text that the
// application's general error handler shows ("Cannot open file %s",
// "No MCI device open", the audio device's own texts). Thrown only for
// unexpected failures; it ends the current event handler and is caught where
// Qt calls into our code.

#include <QString>
#include <stdexcept>

class StationError : public std::runtime_error
{
public:
    explicit StationError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text)
    {
    }
    const QString &text() const { return m_text; }

    static StationError cannotOpen(const QString &path)
    {
        return StationError(QStringLiteral("Cannot open file %1").arg(path));
    }
    static StationError cannotCreate(const QString &path)
    {
        return StationError(QStringLiteral("Cannot create file %1").arg(path));
    }

private:
    QString m_text;
};
