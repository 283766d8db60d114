#include "SharedTexts.h"

#include <algorithm>

QString SharedTexts::get(QStringView text, qsizetype maximum)
{
    text = text.left(std::max<qsizetype>(maximum, 0));
    for (const QString &known : m_known) {
        if (known == text)
            return known;
    }
    QString copy = text.toString();
    if (m_capacity == 0)
        return copy;
    if (m_known.size() < m_capacity) {
        m_known.push_back(copy);
    } else {
        m_known[m_next] = copy;
        m_next = (m_next + 1) % m_capacity;
    }
    return copy;
}
