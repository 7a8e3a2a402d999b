// An external subtitle file of arbitrary content opened and read through the media engine, as a
// title's subtitle track is: the text at a few times, then every event in order.

#include "Reelsmith/media/LMAssFrame.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMSubtitleSource.h"
#include "support/FuzzSupport.h"

#include <QDir>

namespace {

// A subtitle file has a few thousand events at most; the bound keeps a looping reader a finding
// (a timeout) rather than an endless run.
constexpr int kMaxEvents = 100000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = QDir(fuzzing::scratchFolder()).filePath(QStringLiteral("subtitles.srt"));
    if (!fuzzing::writeFile(path, fuzzing::bytesOf(data, size)))
        qFatal("cannot write the scratch subtitle file");

    auto source = LMSubtitleSource::mediaWithPath(path);
    auto media = LMFFMedia::mediaWithSource(source);
    if (!media)
        return 0;
    media->open();
    if (!media->hasSubtitle())
        return 0;
    media->seek(0);
    for (const int64_t time : {int64_t(0), int64_t(700000), int64_t(90000000)})
        media->subtitleStringAtTime(time);
    media->seek(0);
    for (int i = 0; i < kMaxEvents; ++i) {
        const std::shared_ptr<LMAssFrame> event = media->readNextSubtitle();
        if (!event)
            break;
        event->dialogString();
    }
    return 0;
}
