#include "SortedTextList.h"

#include <algorithm>

qsizetype SortedTextList::lowerBound(QStringView text) const
{
    const auto it = std::lower_bound(m_items.cbegin(), m_items.cend(), text,
                                     [](const QString &item, QStringView t) {
                                         return QStringView(item).compare(t, Qt::CaseInsensitive) < 0;
                                     });
    return it - m_items.cbegin();
}

bool SortedTextList::add(const QString &text)
{
    const qsizetype at = lowerBound(text);
    if (at < m_items.size() && QStringView(m_items.at(at)).compare(text, Qt::CaseInsensitive) == 0)
        return false;
    m_items.insert(at, text);
    return true;
}

void SortedTextList::addAll(const QStringList &texts)
{
    for (const QString &t : texts)
        add(t);
}

qsizetype SortedTextList::indexOf(QStringView text) const
{
    const qsizetype at = lowerBound(text);
    if (at < m_items.size() && QStringView(m_items.at(at)).compare(text, Qt::CaseInsensitive) == 0)
        return at;
    return -1;
}
