#include "PracticeHistory.h"

#include "SharedTexts.h"
#include "util/SessionPaths.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <utility>

namespace PracticeHistory {

bool SplitLine(QStringView line, QStringView (&fields)[7])
{
    int count = 0;
    qsizetype start = -1;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i <= n && count < 7; ++i) {
        const bool separator = i == n || line[i] == u',';
        if (separator && start >= 0) {
            fields[count++] = line.sliced(start, i - start);
            start = -1;
        } else if (!separator && start < 0) {
            start = i;
        }
    }
    return count == 7;
}

std::optional<TPracticeScoreList> Read(const QString &path, const std::optional<QString> &caseName)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    // A folder, a named pipe or a device by that name is not a history.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw StationError::cannotOpen(path);
    if (file.size() > kMaxBytes)
        throw StationError(QStringLiteral("The practice history file %1 is too large to show (%2 MB)")
                               .arg(path)
                               .arg(file.size() >> 20));
    const QString text = TextFile::decode(file.readAll());
    file.close();

    const QString header = QString::fromLatin1(SessionPaths::kHistoryHeader);
    SharedTexts dates(2), methods(4), cases(32);
    const TPracticeScore::Pools pools{&dates, &methods, &cases};
    TPracticeScoreList scores;
    const QStringView all(text);
    const qsizetype n = all.size();
    qsizetype start = 0;
    bool first = true;
    while (start < n) {
        qsizetype end = start;
        while (end < n && all[end] != u'\n' && all[end] != u'\r')
            ++end;
        const QStringView line = all.sliced(start, end - start);
        start = end + 1;
        if (end + 1 < n && all[end] == u'\r' && all[end + 1] == u'\n')
            ++start;
        // The header names the columns; it is line 1 of every history the
        // station creates, and never a score.
        if (std::exchange(first, false) && SameText(line.trimmed(), header))
            continue;
        QStringView fields[7];
        if (!SplitLine(line, fields))
            continue;
        if (caseName && !SameText(fields[4], *caseName))
            continue;
        scores.push_back(TPracticeScore::FromFields(fields, pools));
    }
    return scores;
}

void Sort(TPracticeScoreList &scores)
{
    // The distinct case texts ranked once, without regard to letter case
    // (texts equal but for it share a rank); the records are then ordered
    // by numbers alone.
    QHash<QString, int> idOf;
    std::vector<QString> distinct;
    std::vector<int> ids;
    ids.reserve(scores.size());
    for (const TPracticeScore &s : scores) {
        auto it = idOf.constFind(s.testCase);
        if (it == idOf.cend()) {
            it = idOf.insert(s.testCase, int(distinct.size()));
            distinct.push_back(s.testCase);
        }
        ids.push_back(*it);
    }
    std::vector<int> byText(distinct.size());
    for (size_t i = 0; i < byText.size(); ++i)
        byText[i] = int(i);
    std::sort(byText.begin(), byText.end(), [&](int a, int b) {
        return distinct[size_t(a)].compare(distinct[size_t(b)], Qt::CaseInsensitive) < 0;
    });
    std::vector<int> rank(distinct.size());
    for (size_t i = 0; i < byText.size(); ++i) {
        const bool same = i > 0 && distinct[size_t(byText[i - 1])].compare(distinct[size_t(byText[i])],
                                                                           Qt::CaseInsensitive) == 0;
        rank[size_t(byText[i])] = i == 0 ? 0 : rank[size_t(byText[i - 1])] + (same ? 0 : 1);
    }

    struct Key
    {
        int rank;
        int calls;
        size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(scores.size());
    for (size_t i = 0; i < scores.size(); ++i)
        keys.push_back({rank[size_t(ids[i])], scores[i].calls, i});
    std::sort(keys.begin(), keys.end(), [](const Key &a, const Key &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.calls != b.calls)
            return a.calls > b.calls;
        return a.index < b.index;
    });
    TPracticeScoreList sorted;
    sorted.reserve(scores.size());
    for (const Key &key : keys)
        sorted.push_back(std::move(scores[key.index]));
    scores = std::move(sorted);
}

} // namespace PracticeHistory
