#include "SortedTextList.h"

#include <algorithm>
#include <vector>

namespace {

// The list's order: texts compared as QStringView::compare(...,
// Qt::CaseInsensitive) compares them. Call signs are plain ASCII, and that
// part is compared here; from the first other character on, Qt compares the
// rest. Everything before that point is ASCII and so no half of a surrogate
// pair: the rest compares as it would within the whole texts.
int compareIgnoringCase(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    for (qsizetype i = 0; i < common; ++i) {
        char16_t ca = pa[i];
        char16_t cb = pb[i];
        if (ca == cb)
            continue;
        if (ca >= 0x80 || cb >= 0x80)
            return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive);
        if (ca >= u'A' && ca <= u'Z')
            ca += u'a' - u'A';
        if (cb >= u'A' && cb <= u'Z')
            cb += u'a' - u'A';
        if (ca != cb)
            return int(ca) - int(cb);
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool lessIgnoringCase(QStringView a, QStringView b)
{
    return compareIgnoringCase(a, b) < 0;
}

} // namespace

qsizetype SortedTextList::lowerBound(QStringView text) const
{
    // Texts often come in order (a prepared calls file): try the end first.
    if (m_items.isEmpty() || lessIgnoringCase(m_items.constLast(), text))
        return m_items.size();
    const auto it =
        std::lower_bound(m_items.cbegin(), m_items.cend(), text,
                         [](const QString &item, QStringView t) { return lessIgnoringCase(item, t); });
    return it - m_items.cbegin();
}

bool SortedTextList::heldAt(qsizetype at, QStringView text) const
{
    return at < m_items.size() && compareIgnoringCase(m_items.at(at), text) == 0;
}

bool SortedTextList::add(const QString &text)
{
    const qsizetype at = lowerBound(text);
    if (heldAt(at, text))
        return false;
    m_items.insert(at, text);
    return true;
}

void SortedTextList::addAll(const QStringList &texts)
{
    // Adding one by one would move the held texts once per new one; instead
    // the new texts are sorted on their own and merged in a single pass.
    // The sort is stable, so among texts equal but for letter case the one
    // that came first leads its run and is the one kept, as add() keeps it.
    std::vector<const QString *> fresh;
    fresh.reserve(texts.size());
    for (const QString &t : texts)
        fresh.push_back(&t);
    std::stable_sort(fresh.begin(), fresh.end(),
                     [](const QString *a, const QString *b) { return lessIgnoringCase(*a, *b); });

    QStringList merged;
    merged.reserve(m_items.size() + qsizetype(fresh.size()));
    auto held = m_items.cbegin();
    const auto heldEnd = m_items.cend();
    const QString *taken = nullptr; // the last new text kept
    for (const QString *t : fresh) {
        if (taken && compareIgnoringCase(*taken, *t) == 0)
            continue; // a repeat of a new text read earlier
        while (held != heldEnd && lessIgnoringCase(*held, *t))
            merged.append(*held++);
        if (held != heldEnd && !lessIgnoringCase(*t, *held))
            continue; // already held: the held form stays
        merged.append(*t);
        taken = t;
    }
    while (held != heldEnd)
        merged.append(*held++);
    m_items = std::move(merged);
}

qsizetype SortedTextList::indexOf(QStringView text) const
{
    const qsizetype at = lowerBound(text);
    return heldAt(at, text) ? at : -1;
}
