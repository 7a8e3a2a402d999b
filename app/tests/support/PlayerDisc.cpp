#include "PlayerDisc.h"

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDTitleVideo.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"

namespace player_testing {
namespace {

// Stand-ins for the production title and chapter until the pipeline's own classes are linked.
class LengthChapter : public QObject, public DVDChapterVideo
{
public:
    explicit LengthChapter(double seconds)
        : m_seconds(seconds)
    {}
    ObjectList titles() const override { return m_titles; }
    double duration() const override { return m_seconds; }
    void addTitle(const ObjectRef &item) { m_titles.append(item); }

private:
    double m_seconds;
    ObjectList m_titles;
};

class ChapterTitle : public QObject, public DVDTitleVideo
{
public:
    ChapterTitle(ObjectList chapters, bool warning)
        : m_chapters(std::move(chapters))
        , m_warning(warning)
    {}
    bool isWarningVideo() const override { return m_warning; }
    ObjectList chapters() const override { return m_chapters; }
    double duration() const override
    {
        double sum = 0.0;
        for (const ObjectRef &chapter : m_chapters)
            sum += platform::conformsTo<DVDChapterVideo>(chapter)->duration();
        return sum;
    }

private:
    ObjectList m_chapters;
    bool m_warning;
};

void leadTo(const DVDMenuItemRef &item, const ObjectRef &title, const ObjectRef &editingTitle)
{
    item->setJump(editingTitle);
    for (const ObjectRef &chapter : chaptersOf(title)) {
        if (auto *length = dynamic_cast<LengthChapter *>(chapter.get()))
            length->addTitle(item);
    }
}

} // namespace

ObjectRef
makeDiscTitle(const QList<double> &chapterSeconds, bool warning, const ChapterMaker &chapter)
{
    ObjectList chapters;
    for (double seconds : chapterSeconds)
        chapters.append(chapter ? chapter(seconds) : std::make_shared<LengthChapter>(seconds));
    return std::make_shared<ChapterTitle>(chapters, warning);
}

ObjectList chaptersOf(const ObjectRef &title)
{
    const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
    return video ? video->chapters() : ObjectList{};
}

ObjectRef chapterOf(const ObjectRef &title, qsizetype index)
{
    const ObjectList chapters = chaptersOf(title);
    return index < chapters.size() ? chapters.at(index) : nullptr;
}

PlayerDisc makePlayerDisc(const DiscOptions &options, const ChapterMaker &chapter)
{
    PlayerDisc disc;
    disc.dvd = std::make_shared<DVDLibrary>();
    disc.dvd->setAutoMenus(false);
    disc.dvd->setMenuLoop(true);
    disc.dvd->setNoMenu(options.noMenu);
    disc.dvd->setAspectType(options.aspectType);

    for (const QList<double> &seconds : {QList<double>{10.0, 10.0, 10.0}, {5.0}, {8.0}}) {
        disc.titles.append(makeDiscTitle(seconds, false, chapter));
        disc.editingTitles.append(std::make_shared<DVDTitleData>());
    }
    ObjectList titles(disc.titles.begin(), disc.titles.end());
    if (options.warning) {
        disc.warning = makeDiscTitle({3.0}, true, chapter);
        titles.append(disc.warning);
    }
    disc.dvd->setTitles(titles);

    const DVDMenuRef shipped
        = DVDLibraryResourceExtention::defaultMenuForAspectType(options.aspectType);
    if (!shipped)
        return disc;
    disc.main = shipped->copyMenu();
    disc.sub = shipped->copyMenu();
    disc.mainSlots = DVDMenuExtention::titleItems(*disc.main);
    disc.subSlots = DVDMenuExtention::titleItems(*disc.sub);
    if (disc.mainSlots.size() < 4 || disc.subSlots.size() < 4)
        return disc;

    leadTo(disc.mainSlots[0], disc.titles[0], disc.editingTitles[0]);
    leadTo(disc.mainSlots[1], disc.titles[1], disc.editingTitles[1]);
    leadTo(disc.subSlots[0], disc.titles[2], disc.editingTitles[2]);
    disc.sub->setParent(disc.mainSlots[2]);
    if (!options.noMenu)
        disc.dvd->setMenus({disc.main, disc.sub});
    disc.dvd->updateDVDMenu();

    // As the production copy does: each page's "play" button leads to the page's first title.
    for (const DVDMenuRef &page : {disc.main, disc.sub}) {
        const DVDMenuItemRef play = page->buttonForButtonType(QStringLiteral("play"));
        const DVDMenuItemList titleSlots = DVDMenuExtention::titleItems(*page);
        if (play && !titleSlots.isEmpty() && titleSlots.first()->jump())
            leadTo(play,
                   page == disc.main ? disc.titles[0] : disc.titles[2],
                   titleSlots.first()->jump());
    }
    return disc;
}

} // namespace player_testing
