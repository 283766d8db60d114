#pragma once
// A sorted list of texts without repeats, ordered and compared without regard
// to letter case: the check list of a test, the demonstration calls, the
// cleaned calls files. Adding a text that is already held (in any letter
// case) keeps the form that was added first.
//
// addAll() sorts the new texts and merges them in one pass, so a calls file
// of any size loads in O(n log n).

#include <QString>
#include <QStringList>

class SortedTextList
{
public:
    // Adds the text in its sorted place; false when it was already held.
    bool add(const QString &text);
    void addAll(const QStringList &texts);
    bool contains(QStringView text) const { return indexOf(text) >= 0; }
    // Index of the held text equal to `text` ignoring case, or -1.
    qsizetype indexOf(QStringView text) const;

    qsizetype count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const QString &at(qsizetype i) const { return m_items.at(i); }
    const QStringList &items() const { return m_items; }
    void clear() { m_items.clear(); }

private:
    qsizetype lowerBound(QStringView text) const;
    bool heldAt(qsizetype at, QStringView text) const;

    QStringList m_items; // sorted, no repeats
};
