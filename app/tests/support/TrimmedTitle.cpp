#include "support/TrimmedTitle.h"

#include "app/AppExtention/Convert/MediaData.h"

#include <gtest/gtest.h>

namespace app_testing {

DVDTitleDataRef makeTitleOf(const QList<ClipSpec> &clips)
{
    constexpr double kSecond = 1000000.0;
    auto title = std::make_shared<DVDTitleData>();
    MediaDataList medias;
    for (const ClipSpec &spec : clips) {
        auto media = MediaData::mediaDataWithPath(spec.path);
        EXPECT_TRUE(media->movie()) << qPrintable(spec.path);
        if (!media->movie())
            continue;
        media->movie()->setTrimStart(int64_t(spec.start * kSecond));
        media->movie()->setTrimStop(int64_t(spec.stop * kSecond));
        medias.append(media);
    }
    title->setMediaArray(medias);
    return title;
}

} // namespace app_testing
