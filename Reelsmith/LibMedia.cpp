#include "Reelsmith/LibMedia.h"

#include "Reelsmith/LMFunctions.h"

#include <QLocale>
#include <algorithm>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcLibMedia, "discwright.reelsmith.media", QtWarningMsg)
} // namespace Reelsmith

namespace {

QString languageName(const QString &code)
{
    if (code.isEmpty())
        return {};
    const QLocale::Language language = QLocale::codeToLanguage(code, QLocale::AnyLanguageCode);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    return QLocale::languageToString(language);
}

} // namespace

QString LibMedia::displayStringForLanguage(const QString &code)
{
    QString name = languageName(code);
    if (name.isEmpty() && code.size() >= 3)
        name = languageName(code.left(2));
    if (name.isEmpty())
        name = languageName(QStringLiteral("en"));
    return name.isEmpty() ? code : name;
}

void LibMedia::timeProfileBlock(const std::function<void()> &block)
{
    static double totalSeconds = 0;
    static int count = 0;
    static double lastReport = 0;

    const double start = lm_ff_time_to_double(lm_wall_absolute_fftime());
    if (block)
        block();
    const double now = lm_ff_time_to_double(lm_wall_absolute_fftime());
    totalSeconds += now - start;
    ++count;
    const double sinceReport = now - lastReport;
    if (lastReport == 0 || sinceReport > 5.0) {
        qCInfo(Reelsmith::lcLibMedia,
               "%f %f %f %d",
               totalSeconds / std::max(double(count), 1.0),
               count / sinceReport,
               sinceReport,
               count);
        totalSeconds = 0;
        count = 0;
        lastReport = now;
    }
}
