#pragma once

#include <QString>
#include <cstdint>
#include <memory>

/**
 * One decoded text subtitle event (ASS/SSA form, as FFmpeg's subtitle decoders give every text
 * format: SubRip, SAMI, ASS ...) and its dialogue text.
 *
 * A value object held by std::shared_ptr; any thread.
 */
class LMAssFrame
{
public:
    /** The event line as FFmpeg gives it: the dialogue fields joined by commas. */
    QString ass;
    /** The event format line (the decoder path does not fill it). */
    QString event_format;
    /** Index of the text field (the decoder path does not fill it). */
    int32_t text_index = 0;
    /** Milliseconds after pts. */
    uint32_t start_display_time = 0;
    uint32_t end_display_time = 0;
    /** Engine time of the event. */
    int64_t pts = 0;

    /** Fields before the text in the event lines of this FFmpeg build (ReadOrder ... Effect). */
    static constexpr int kTextFieldIndex = 8;

    QString assString() const { return ass; }

    /**
     * The text a viewer reads: what follows the 8th comma (what follows the last comma when that
     * is empty, as for a line with fewer fields), without override blocks ("{...}"), with every
     * "\N" turned into a line break.
     */
    QString dialogString() const;

    /** What follows the index-th comma of s; empty when s has fewer commas. */
    static QString findAssTextStringIndex(const QString &s, int index);
    /**
     * The range (start, length) after the index-th comma inside [start, start + length) of s;
     * start -1 (and length 0) when there is no comma. An index below 2 stops at the first comma.
     */
    struct Range
    {
        int start = -1;
        int length = 0;
    };
    static Range findAssTextStringRangeIndex(const QString &s, Range range, int index);
    /** s without any "{...}" override block. */
    static QString removeBraceFromTextString(const QString &s);
};
