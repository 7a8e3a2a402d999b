#include "Reelsmith/encode/LMMusicFileOutput.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::unique_ptr<LMMusicFileOutput>
LMMusicFileOutput::output(const QString &path, const LMFFMovieFileOutputFormat &format)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    auto encoder = std::make_unique<LMFFMovieFileOutput>();
    encoder->setPath(path);
    encoder->setMovieFormat(format);
    encoder->openAudio();
    if (!encoder->isAudioOpen() || !encoder->startOutput()) {
        encoder->stopOutput();
        QFile::remove(path);
        return nullptr;
    }
    std::unique_ptr<LMMusicFileOutput> result(new LMMusicFileOutput);
    result->m_path = path;
    result->m_movieOutput = std::move(encoder);
    return result;
}

std::unique_ptr<LMMusicFileOutput>
LMMusicFileOutput::output(const QString &path, int channels, int sampleRate)
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.sample_rate = sampleRate;
    format.channel_layout = lm_get_default_channel_layout(channels);
    return output(path, format);
}

LMMusicFileOutput::~LMMusicFileOutput()
{
    close();
}

LMFFAudioFormat LMMusicFileOutput::audioInputFormat() const
{
    return m_movieOutput ? m_movieOutput->audioInputFormat() : LMFFAudioFormat{0, 0, 0};
}

void LMMusicFileOutput::setAudioInputFormat(const LMFFAudioFormat &format)
{
    if (m_movieOutput)
        m_movieOutput->setAudioInputFormat(format);
}

void LMMusicFileOutput::writeAudioData(const QByteArray &data)
{
    if (m_movieOutput)
        m_movieOutput->writeAudioData(data);
}

bool LMMusicFileOutput::close()
{
    if (!m_movieOutput)
        return m_closedOk;
    m_closedOk = m_movieOutput->stopOutput();
    m_movieOutput.reset();
    return m_closedOk;
}
