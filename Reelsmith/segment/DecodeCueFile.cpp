#include "Reelsmith/segment/DecodeCueFile.h"

#include <QRegularExpression>

QStringList DecodeCueFile::componentsSeparatedByCueSpace(const QString &line)
{
    QStringList words;
    QString word;
    QChar quote;
    const auto endWord = [&] {
        if (!word.isEmpty())
            words.append(word);
        word.clear();
    };
    for (const QChar c : line) {
        if (!quote.isNull()) {
            if (c == quote) {
                endWord();
                quote = QChar();
            } else {
                word.append(c);
            }
        } else if (c == u' ' || c == u'\t') {
            endWord();
        } else if (c == u'"' || c == u'\'') {
            word.clear();
            quote = c;
        } else {
            word.append(c);
        }
    }
    endWord();
    return words;
}

int64_t DecodeCueFile::fftimeFromCueTime(const QString &text)
{
    const QStringList parts = text.split(u':');
    if (parts.size() != 3)
        return 0;
    const int64_t minutes = parts[0].trimmed().toLongLong();
    const int64_t seconds = parts[1].trimmed().toLongLong();
    const int64_t frames = parts[2].trimmed().toLongLong();
    return int64_t(minutes * 60 * 1000000 + seconds * 1000000 + (frames * 1000000) / 75.0);
}

QList<QVariantMap> DecodeCueFile::decodeCueString(const QString &sheet)
{
    QList<QVariantMap> tracks;
    QString currentFile;
    bool haveFile = false;
    QVariantMap *current = nullptr;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : sheet.split(lineBreak)) {
        const QStringList words = componentsSeparatedByCueSpace(line);
        if (words.isEmpty())
            continue;
        const QString keyword = words.first().toLower();
        if (keyword == u"file") {
            if (words.size() == 3) {
                currentFile = words[1];
                haveFile = true;
            }
        } else if (keyword == u"track") {
            tracks.append(QVariantMap());
            current = &tracks.last();
            // A sheet may name several files; each track plays from the file it was listed under.
            if (haveFile)
                current->insert(QStringLiteral("file"), currentFile);
        } else if (keyword == u"title") {
            if (current)
                current->insert(QStringLiteral("title"), words.last());
        } else if (keyword == u"performer") {
            if (current)
                current->insert(QStringLiteral("performer"), words.last());
        } else if (keyword == u"index") {
            if (current && words.size() == 3) {
                const int n = words[1].toInt();
                const qint64 t = fftimeFromCueTime(words.last());
                if (n == 1)
                    current->insert(QStringLiteral("track_start"), t);
                else if (n == 0)
                    current->insert(QStringLiteral("gap_start"), t);
            }
        }
    }

    qint64 nextStart = 0;
    for (auto it = tracks.rbegin(); it != tracks.rend(); ++it) {
        const qint64 gap = it->value(QStringLiteral("gap_start"), qint64(0)).toLongLong();
        const qint64 index = it->value(QStringLiteral("track_start"), qint64(0)).toLongLong();
        const qint64 start = std::max(gap, index);
        it->insert(QStringLiteral("start"), start);
        if (nextStart > start)
            it->insert(QStringLiteral("stop"), nextStart);
        nextStart = start;
    }
    return tracks;
}
