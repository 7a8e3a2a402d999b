#pragma once

#include "Reelsmith/imaging/Extent.h"
#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/imaging/Tile.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace Reelsmith::imaging {

/**
 * A named image filter with its parameters as keyed values ("inputRadius", "inputColor", ...),
 * an input image and the filtered output image. Subclasses give the pixel work: apply() turns the
 * input, rendered over the output region grown by reach(), into the output region, as
 * premultiplied RGBA. apply() must answer each pixel from the input alone (never from where the
 * region starts), so that a picture rendered in bands is the same for any number of bands.
 *
 * A filter at its neutral values is skipped: outputImage() answers the input itself.
 *
 * Owned by whoever made it (std::shared_ptr); one thread changes a filter at a time. The copy
 * an image keeps when the filter is applied is never changed, so renders may run on any thread.
 */
class Filter
{
public:
    explicit Filter(QString name)
        : m_name(std::move(name))
    {}
    virtual ~Filter() = default;

    const QString &name() const { return m_name; }

    QVariant value(const QString &key) const { return m_values.value(key); }
    void setValue(const QString &key, const QVariant &value) { m_values.insert(key, value); }
    const QVariantMap &values() const { return m_values; }
    /** A parameter as a single-precision number (the value's type decides nothing else). */
    float number(const QString &key, float fallback = 0) const;

    Image inputImage() const { return m_input; }
    void setInputImage(const Image &image) { m_input = image; }

    /** The input with this filter applied; null without an input, the input itself when neutral. */
    Image outputImage() const;
    /**
     * image with this filter applied (a frozen copy of it); image itself when neutral. A filter
     * made of other filters answers their chain instead.
     */
    virtual Image applyTo(const Image &image) const;
    /** A new filter of the same kind with the same values and input. */
    virtual std::shared_ptr<Filter> copy() const = 0;

    /** True when the filter would leave every pixel as it is. */
    virtual bool isNeutral() const { return false; }
    /** How far (pixels) around an output pixel the input is read. */
    virtual int reach() const { return 0; }
    /** The area the output covers for an input covering input. */
    virtual Extent outputExtent(const Extent &input) const { return input.grown(reach()); }
    /** Writes output.rect from input (covering output.rect grown by reach(); see the class). */
    virtual void apply(const Tile &input, const Tile &output) const = 0;

    /** Runs work(k) for each k in [0, count) on the render's threads; returns when all are done. */
    using Parallel = std::function<void(int count, const std::function<void(int)> &work)>;
    /**
     * apply() over the whole of output, cut into about pieces parts that run through parallel.
     * The bytes are apply()'s. By default bands of rows; a filter reading far around its pixels
     * cuts its own passes instead, so no part does another's work again.
     */
    virtual void applyParallel(const Tile &input,
                               const Tile &output,
                               int pieces,
                               const Parallel &parallel) const;

private:
    QString m_name;
    QVariantMap m_values;
    Image m_input;
};

/** The copy() of a filter class that copies itself whole (values and input). */
template <class Derived> class FilterOf : public Filter
{
public:
    using Filter::Filter;
    std::shared_ptr<Filter> copy() const override
    {
        return std::make_shared<Derived>(static_cast<const Derived &>(*this));
    }
};

} // namespace Reelsmith::imaging
