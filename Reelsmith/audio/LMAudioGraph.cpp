#include "Reelsmith/audio/LMAudioGraph.h"

#include "Reelsmith/audio/AudioLog.h"
#include "Reelsmith/audio/SdlAudioOutput.h"

#include <cstring>

LMAudioGraph::LMAudioGraph() = default;

LMAudioGraph::~LMAudioGraph()
{
    closeGraph();
}

void LMAudioGraph::initGraph()
{
    createNode();
    configNode();
}

void LMAudioGraph::closeGraph()
{
    std::lock_guard guard(m_lock);
    m_output.reset();
}

bool LMAudioGraph::start()
{
    std::lock_guard guard(m_lock);
    if (!m_output) {
        auto output = std::make_unique<Reelsmith::detail::SdlAudioOutput>();
        QString error;
        if (!output->open(&LMAudioGraph::renderCallback, this, kPeriodFrames, &error)) {
            m_lastError = error;
            qCWarning(Reelsmith::lcAudio).noquote() << "AUGraphInitialize (graph)" << error;
            return false;
        }
        m_output = std::move(output);
        qCDebug(Reelsmith::lcAudio).noquote()
            << "audio output open on" << Reelsmith::detail::SdlAudioOutput::driverName();
    }
    m_output->setPlaying(true);
    if (!m_output->isPlaying()) {
        m_lastError = QStringLiteral("the audio output did not start");
        qCWarning(Reelsmith::lcAudio, "AUGraphStart(graph)");
        return false;
    }
    return true;
}

void LMAudioGraph::stop()
{
    std::lock_guard guard(m_lock);
    if (m_output)
        m_output->setPlaying(false);
    // The render callback never takes m_lock, so closing (which waits for a running cycle) under
    // it cannot deadlock.
    m_output.reset();
}

bool LMAudioGraph::isStart() const
{
    std::lock_guard guard(m_lock);
    return m_output && m_output->isPlaying();
}

bool LMAudioGraph::streamReadSampleNumberFrames(int /*bus*/, void * /*buffer*/, int /*frames*/)
{
    return false;
}

bool LMAudioGraph::streamWriteSampleNumberFrames(int /*bus*/,
                                                 const void * /*buffer*/,
                                                 int /*frames*/)
{
    return false;
}

QString LMAudioGraph::driverName() const
{
    std::lock_guard guard(m_lock);
    return m_output ? Reelsmith::detail::SdlAudioOutput::driverName() : QString();
}

QString LMAudioGraph::lastError() const
{
    std::lock_guard guard(m_lock);
    return m_lastError;
}

void LMAudioGraph::renderCycle(uint8_t *stream, int frames)
{
    if (!stream || frames <= 0)
        return;
    if (!streamReadSampleNumberFrames(0, stream, frames))
        std::memset(stream, 0, size_t(frames) * kBytesPerFrame);
    m_renderedFrames.fetch_add(frames);
}

void LMAudioGraph::renderCallback(void *userdata, uint8_t *stream, int length)
{
    static_cast<LMAudioGraph *>(userdata)->renderCycle(stream, length / kBytesPerFrame);
}
