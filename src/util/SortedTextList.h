#pragma once
// A sorted list of texts without repeats, ordered and compared without regard
// to letter case: the check list of a test, the demonstration calls, the
// cleaned calls files. Adding a text that is already held (in any letter
// case) keeps the form that was added first.
//
// Large lists are built fast: addAll() sorts the new texts and merges them in
// one pass, and add() appends a text that sorts last at once. A text that
// belongs far from the end waits in a side set until the list is next read by
// position (at(), items(), indexOf()), when all waiting texts are merged in
// one pass. So the const readers may rearrange the storage: a list is not to
// be read from two threads at once.

#include <QString>
#include <QStringList>
#include <set>

class SortedTextList
{
public:
    // Adds the text in its sorted place; false when it was already held.
    bool add(const QString &text);
    void addAll(const QStringList &texts);
    bool contains(QStringView text) const;
    // Index of the held text equal to `text` ignoring case, or -1.
    qsizetype indexOf(QStringView text) const;

    qsizetype count() const { return m_items.size() + qsizetype(m_waiting.size()); }
    bool isEmpty() const { return count() == 0; }
    const QString &at(qsizetype i) const { return items().at(i); }
    const QStringList &items() const;
    void clear();

private:
    struct LessIgnoringCase
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const;
    };

    qsizetype lowerBound(QStringView text) const;
    bool heldAt(qsizetype at, QStringView text) const;
    void mergeWaiting() const;

    // Sorted, no repeats; with m_waiting, no text in both.
    mutable QStringList m_items;
    mutable std::set<QString, LessIgnoringCase> m_waiting;
};
