#include "Platterkit/authoring/DVDAuthorXML.h"

#include "Platterkit/authoring/MenuButtons.h"
#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDTitleResource.h"
#include "Platterkit/model/DVDTitleVideo.h"

#include <algorithm>

namespace {

const QString kNothing = QStringLiteral("g3=0;");

} // namespace

DVDAuthorXML::DVDAuthorXML(const DVDLibrary &library)
    : m_library(library)
{}

DVDAuthorXML::~DVDAuthorXML() = default;

QString DVDAuthorXML::customDVDMenuVideoOptions() const
{
    return m_library.customDVDMenuVideoOptions();
}

QString DVDAuthorXML::dvdCellTimeString(double seconds)
{
    // Whole milliseconds, truncated toward zero; out-of-range input is held to what fits.
    const double limit = 9.0e15;
    const qint64 ms = qint64(std::clamp(seconds * 1000.0, -limit, limit));
    const qint64 hours = ms / 3600000;
    const qint64 minutes = (ms / 60000) % 60;
    const qint64 secs = (ms / 1000) % 60;
    const qint64 hundredths = (ms % 1000) / 10;
    return QString::asprintf("%02lld:%02lld:%02lld.%02lld", hours, minutes, secs, hundredths);
}

QString DVDAuthorXML::actionForDVDElement(const ObjectRef &object) const
{
    if (!object)
        return kNothing;
    if (platform::conformsTo<DVDMenuPage>(object)) {
        const qsizetype index = m_library.indexOfMenu(object);
        return index < 0 ? kNothing : QStringLiteral("jump menu %1;").arg(index + 1);
    }
    if (platform::conformsTo<DVDChapterVideo>(object)) {
        const ObjectRef title = m_library.getTitleForChapter(object);
        const qsizetype titleIndex = platform::indexOfObject(m_library.titles(), title);
        const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
        const qsizetype chapterIndex
            = video ? platform::indexOfObject(video->chapters(), object) : -1;
        if (titleIndex < 0 || chapterIndex < 0)
            return kNothing;
        return QStringLiteral("jump title %1 chapter %2;")
            .arg(titleIndex + 1)
            .arg(chapterIndex + 1);
    }
    if (platform::conformsTo<DVDTitleResource>(object)
        || platform::conformsTo<DVDTitleVideo>(object)) {
        const qsizetype index = platform::indexOfObject(m_library.titles(), object);
        return index < 0 ? kNothing : QStringLiteral("jump title %1;").arg(index + 1);
    }
    return kNothing;
}

QString DVDAuthorXML::actionForJumpButton(const ObjectRef &element) const
{
    return actionForDVDElement(m_library.jumpForActionItem(element));
}

QString DVDAuthorXML::actionForMenuPostItem(const ObjectRef &page) const
{
    return actionForDVDElement(m_library.jumpForActionItem(page));
}

QString DVDAuthorXML::actionForTitlePostJump(const ObjectRef &next) const
{
    if (next)
        return actionForDVDElement(next);
    return m_library.noMenu() ? QStringLiteral("g1=1;g2=1;")
                              : QStringLiteral("g2=1;call menu entry root;");
}

QString DVDAuthorXML::actionForChapterVideo(const ObjectRef &) const
{
    return kNothing;
}

QString DVDAuthorXML::authorContent() const
{
    const QString aspect
        = m_library.aspectType() == 1 ? QStringLiteral("16:9") : QStringLiteral("4:3");
    const QString height = QString::number(m_library.dvdVideoSize().height());
    const QString audio = QStringLiteral("<audio lang=\"en\" />");

    QString titles
        = QStringLiteral("<video aspect=\"%1\" resolution=\"720x%2\" />").arg(aspect, height)
          + audio;
    const QString warningGuard
        = QStringLiteral("if (g5 != 93) ") + actionForDVDElement(m_library.getWarningTitle());
    const QString warningEnd
        = QStringLiteral("g5=93; ")
          + (m_library.playFirstTitle() ? QStringLiteral("jump title 1;")
                                        : QStringLiteral("call menu entry root;"));
    const ObjectList titleList = m_library.titles();
    for (qsizetype t = 0; t < titleList.size(); ++t)
        titles += titleChain(titleList[t], t, warningGuard, warningEnd);

    const DVDMenuList pages = m_library.noMenu() ? DVDMenuList() : m_library.menus();
    QString menus = QStringLiteral("<video aspect=\"%1\" resolution=\"720x%2\" %3 />")
                        .arg(aspect, height, customDVDMenuVideoOptions())
                    + audio;
    for (qsizetype m = 0; m < pages.size(); ++m) {
        if (pages[m])
            menus += menuChain(pages[m], m);
    }

    QString root
        = QStringLiteral("<pgc entry=\"root\"><pre> if (g2 == 0) g1=0; g2=0; ") + warningGuard;
    if (!pages.isEmpty()) {
        for (qsizetype k = 1; k <= pages.size(); ++k)
            root += QStringLiteral("if (g1 == %1) jump menu %1;").arg(k);
        root += QStringLiteral("if (g1 == 0 || g1 > %1) jump menu 1;").arg(pages.size());
    } else {
        root += QStringLiteral("jump title 1;");
    }
    root += QStringLiteral("</pre></pgc>\n");
    menus += root;

    const QString firstPlay = m_library.playFirstTitle()
                                  ? QStringLiteral("g4=1;jump title 1;")
                                  : QStringLiteral("jump titleset 1 menu entry root;");
    const QString manager
        = QStringLiteral("<vmgm><fpc>g1=0;g2=0;g3=0;g4=0;g5=0; %1</fpc></vmgm>").arg(firstPlay);
    const QString titleSet
        = QStringLiteral("<titleset><menus>\n%1\n</menus><titles>\n%2\n</titles></titleset>")
              .arg(menus, titles);
    return QStringLiteral("<dvdauthor>\n%1\n%2\n</dvdauthor>").arg(manager, titleSet);
}

QString DVDAuthorXML::titleChain(const ObjectRef &title,
                                 qsizetype titleIndex,
                                 const QString &warningGuard,
                                 const QString &warningEnd) const
{
    const bool warning = DVDTitleVideo::isWarningTitle(title);
    QString chain = QStringLiteral("<pgc>");
    // Every title but the warning title first plays the warning title once.
    if (!warning)
        chain += QStringLiteral("<pre> %1 </pre>").arg(warningGuard);

    if (const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title)) {
        // The start of every chapter but the first; a chapter starting at 0 is never listed.
        QStringList starts;
        double start = 0.0;
        for (const ObjectRef &chapter : video->chapters()) {
            if (start > 0)
                starts.append(dvdCellTimeString(start));
            if (const DVDChapterVideo *chapterVideo
                = platform::conformsTo<DVDChapterVideo>(chapter))
                start += chapterVideo->duration();
        }
        const QString attribute = starts.isEmpty()
                                      ? QString()
                                      : QStringLiteral("chapters=\"%1\"").arg(starts.join(u','));
        chain += QStringLiteral("<vob file=\"title%1.dvd\" %2 />").arg(titleIndex).arg(attribute);
    } else {
        chain += QStringLiteral("<vob file=\"title%1.dvd\" />").arg(titleIndex);
    }

    const ObjectRef next = m_library.jumpForActionItem(title);
    if (warning) {
        chain += QStringLiteral("<post>%1</post>").arg(warningEnd);
    } else if (!m_library.noMenu() && m_library.autoPlayVideos() > titleIndex) {
        chain += QStringLiteral("<post>if ( g4 gt 0 ){%1}else{%2}</post>")
                     .arg(actionForTitlePostJump(m_library.jumpForAutoPlayVideoPostItem(title)),
                          actionForTitlePostJump(next));
    } else {
        chain += QStringLiteral("<post>g4=0;%1</post>").arg(actionForTitlePostJump(next));
    }
    chain += QStringLiteral("</pgc>\n");
    return chain;
}

QString DVDAuthorXML::menuChain(const DVDMenuRef &page, qsizetype pageIndex) const
{
    using Platterkit::MenuButtons;
    QString chain = QStringLiteral("<pgc>");
    // Keeps the highlighted button when the page is shown again, limited to the buttons it has.
    chain += QStringLiteral("<pre>g1=%1;g3=0;g4=0;g3=button;g3=g3/1024; if ( g3 lt 1 || g3 gt %2 ) "
                            "g3=1;g3=g3*1024;button=g3; </pre>")
                 .arg(pageIndex + 1)
                 .arg(MenuButtons::buttonCount(*page));
    chain += QStringLiteral("<vob file=\"menu%1.dvd\" />").arg(pageIndex);
    const DVDMenuItemList items = page->items();
    for (qsizetype j = 0; j < items.size(); ++j) {
        if (!MenuButtons::becomesButton(items[j]))
            continue;
        chain += QStringLiteral("<button name=\"%1\"> g4=0;%2 </button>")
                     .arg(MenuButtons::buttonName(pageIndex, j), actionForJumpButton(items[j]));
    }
    chain += QStringLiteral("<post>%1</post>").arg(actionForMenuPostItem(page));
    chain += QStringLiteral("</pgc>\n");
    return chain;
}
