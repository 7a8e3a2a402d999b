#pragma once

class LMFFMedia;

/**
 * What a media asks of the movie whose timeline holds it: the movie-wide switches that decide
 * which packets are decoded, kept raw or dropped. LMFFMovie implements it; a media used alone has
 * no owner and behaves as with every switch off.
 *
 * The calls come from the thread that drives the media: the movie's decode queue. The switches
 * are set before the first decode and read from any thread.
 */
class LMFFMediaOwner
{
public:
    virtual ~LMFFMediaOwner() = default;

    /** Video streams take no packets (audio-only use). */
    virtual bool disableVideo() const = 0;
    /** The movie is being converted: audio is read only as a side effect of reading video. */
    virtual bool exportMovie() const = 0;
    /** Video packets are kept raw for stream copy instead of decoded. */
    virtual bool copy_video_stream() const = 0;
    /** Audio packets are kept raw for stream copy instead of decoded. */
    virtual bool copy_audio_stream() const = 0;
    /** In video stream copy, only key packets are kept. */
    virtual bool forward_only_key() const = 0;

    /** A soft assertion that the caller drives the media from the owner's thread; none by default. */
    virtual void assertOwnerThread() const {}
    /** The media found container streams it had no objects for yet and made them. */
    virtual void mediaStreamsChanged(LMFFMedia & /*media*/) {}
};
