#pragma once
// Texts that repeat from one history line to the next (dates, logging
// methods, case names) kept once and shared by the records that hold them,
// so a long history is not thousands of copies of the same few words.

#include <QString>
#include <QStringView>
#include <vector>

class SharedTexts
{
public:
    // Remembers at most `capacity` texts, the oldest making room for a new one.
    explicit SharedTexts(size_t capacity) : m_capacity(capacity) {}

    // `text` cut at `maximum` characters, shared with an equal text met before.
    QString get(QStringView text, qsizetype maximum);

private:
    size_t m_capacity;
    size_t m_next = 0; // the slot a new text takes once all are used
    std::vector<QString> m_known;
};
