#include "TextUtil.h"

#include <limits>

QString CopyBounded(QStringView source, qsizetype maximum)
{
    if (maximum <= 0)
        return {};
    return source.left(maximum).toString();
}

void AppendBounded(QString &destination, QStringView source, qsizetype maximum)
{
    const qsizetype room = maximum - destination.size();
    if (room > 0)
        destination += source.left(room);
}

QStringList SplitFields(QStringView text, QStringView separators)
{
    QStringList fields;
    qsizetype start = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool sep = separators.contains(text[i]);
        if (sep && start >= 0) {
            fields.append(text.mid(start, i - start).toString());
            start = -1;
        } else if (!sep && start < 0) {
            start = i;
        }
    }
    if (start >= 0)
        fields.append(text.mid(start).toString());
    return fields;
}

int LeadingInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        return int(-value);
    return int(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

QString FormatMinSec(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    auto part = [](int v) {
        QString s = QString::number(v);
        if (v < 10)
            s.prepend(u'0');
        return s.left(2);
    };
    return part(seconds / 60) + u':' + part(seconds % 60);
}
