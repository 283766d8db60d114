#include "SortedTextList.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace {

// A text whose sorted place lies at most this many texts before the end is
// inserted at once; moving so few costs less than a later merge.
constexpr qsizetype kShortMove = 64;

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

// A text to be sorted, with a sort key that holds its first eight characters
// in one number, so that most comparisons need not fetch the text. One byte a
// character, the first one highest: end of text 0, an ASCII character its
// lower-case code + 1, any other character 0xFF and all bytes after it 0xFF.
struct Keyed
{
    quint64 key;
    const QString *text;
};

quint64 sortKey(QStringView text)
{
    quint64 key = 0;
    for (int i = 0; i < 8; ++i) {
        quint64 byte = 0;
        if (i < text.size()) {
            char16_t c = text[i].unicode();
            if (c >= 0x80) {
                key |= ~quint64(0) >> (8 * i);
                break;
            }
            if (c >= u'A' && c <= u'Z')
                c += u'a' - u'A';
            byte = c + 1;
        }
        key |= byte << (56 - 8 * i);
    }
    return key;
}

// Keys decide where they first differ in two ASCII bytes (or an ASCII byte
// and an end), and equality when both texts ended within seven characters;
// otherwise the texts are compared.
int compareKeyed(const Keyed &a, const Keyed &b)
{
    if (a.key != b.key) {
        const int shift = (63 - std::countl_zero(a.key ^ b.key)) & ~7;
        const unsigned byteA = unsigned(a.key >> shift) & 0xFF;
        const unsigned byteB = unsigned(b.key >> shift) & 0xFF;
        if (byteA != 0xFF && byteB != 0xFF)
            return byteA < byteB ? -1 : 1;
    } else if ((a.key & 0xFF) == 0) {
        return 0;
    }
    return compareIgnoringCase(*a.text, *b.text);
}

} // namespace

bool SortedTextList::LessIgnoringCase::operator()(QStringView a, QStringView b) const
{
    return lessIgnoringCase(a, b);
}

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
    if (!m_waiting.empty() && m_waiting.find(QStringView(text)) != m_waiting.end())
        return false;
    if (m_items.size() - at <= kShortMove)
        m_items.insert(at, text);
    else
        m_waiting.insert(text);
    return true;
}

void SortedTextList::addAll(const QStringList &texts)
{
    mergeWaiting();
    // Adding one by one would move the held texts once per new one; instead
    // the new texts are sorted on their own and merged in a single pass.
    // The sort is stable, so among texts equal but for letter case the one
    // that came first leads its run and is the one kept, as add() keeps it.
    std::vector<Keyed> fresh;
    fresh.reserve(texts.size());
    for (const QString &t : texts)
        fresh.push_back({sortKey(t), &t});
    std::stable_sort(fresh.begin(), fresh.end(),
                     [](const Keyed &a, const Keyed &b) { return compareKeyed(a, b) < 0; });

    QStringList merged;
    merged.reserve(m_items.size() + qsizetype(fresh.size()));
    auto held = m_items.cbegin();
    const auto heldEnd = m_items.cend();
    const Keyed *taken = nullptr; // the last new text kept
    for (const Keyed &t : fresh) {
        if (taken && compareKeyed(*taken, t) == 0)
            continue; // a repeat of a new text read earlier
        while (held != heldEnd && lessIgnoringCase(*held, *t.text))
            merged.append(*held++);
        if (held != heldEnd && !lessIgnoringCase(*t.text, *held))
            continue; // already held: the held form stays
        merged.append(*t.text);
        taken = &t;
    }
    while (held != heldEnd)
        merged.append(*held++);
    m_items = std::move(merged);
}

void SortedTextList::mergeWaiting() const
{
    if (m_waiting.empty())
        return;
    QStringList merged;
    merged.reserve(count());
    std::merge(m_items.cbegin(), m_items.cend(), m_waiting.cbegin(), m_waiting.cend(),
               std::back_inserter(merged), LessIgnoringCase());
    m_items = std::move(merged);
    m_waiting.clear();
}

const QStringList &SortedTextList::items() const
{
    mergeWaiting();
    return m_items;
}

bool SortedTextList::contains(QStringView text) const
{
    return heldAt(lowerBound(text), text) || m_waiting.find(text) != m_waiting.end();
}

qsizetype SortedTextList::indexOf(QStringView text) const
{
    mergeWaiting();
    const qsizetype at = lowerBound(text);
    return heldAt(at, text) ? at : -1;
}

void SortedTextList::clear()
{
    m_items.clear();
    m_waiting.clear();
}
