#include "app/AppExtention/TitleImport.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "platform/MainThread.h"

TitleImport::TitleImport(QObject *parent)
    : QObject(parent)
{}

TitleImport::~TitleImport()
{
    m_cancelled = true;
    if (m_worker.joinable())
        m_worker.join();
}

MediaDataRef TitleImport::createMediaWithPath(const QString &path)
{
    auto media = MediaData::mediaDataWithPath(path);
    if (!media || !media->movie() || !media->movie()->hasVideo() || !media->ffmovie())
        return nullptr;
    const double seconds = double(media->ffmovie()->duration()) / double(lm_default_time_base());
    return seconds < kMinimumSeconds ? nullptr : media;
}

DVDTitleDataRef TitleImport::createNewTitleByPath(const QString &path)
{
    auto media = createMediaWithPath(path);
    if (!media)
        return nullptr;
    auto title = std::make_shared<DVDTitleData>();
    title->setIsExpand(false);
    title->setName(media->name());
    title->setMediaArray({media});
    media->setSuperData(title);
    return title;
}

bool TitleImport::start(const QStringList &paths, Progress progress, Done done)
{
    DW_ASSERT_MAIN_THREAD(return false);
    if (m_running)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_running = true;
    m_cancelled = false;
    m_rate = 0;
    m_worker = std::thread([this, paths, progress = std::move(progress), done = std::move(done)] {
        QList<DVDTitleDataRef> titles;
        const int total = int(paths.size());
        for (int i = 0; i < total && !m_cancelled; ++i) {
            if (auto title = createNewTitleByPath(paths[i]))
                titles.append(title);
            m_rate = float(i + 1) / float(total);
            if (progress) {
                platform::postToMainThread(this, [progress, i, total] { progress(i + 1, total); });
            }
        }
        const bool cancelled = m_cancelled;
        platform::postToMainThread(this, [this, titles, cancelled, done] {
            m_running = false;
            if (done)
                done(titles, cancelled);
        });
    });
    return true;
}
