#pragma once
// The failure of a synthesizer operation, carrying the message the program
// prints before it exits with a non-zero status.

#include <QString>
#include <stdexcept>

class SynthError : public std::runtime_error
{
public:
    explicit SynthError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};
