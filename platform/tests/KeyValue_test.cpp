#include "platform/KeyValue.h"

#include <QRectF>
#include <gtest/gtest.h>

namespace {

class Probe : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double rotation MEMBER m_rotation)
    Q_PROPERTY(bool disabled MEMBER m_disabled)
    Q_PROPERTY(QRectF frame MEMBER m_frame)
    Q_PROPERTY(ObjectRef target MEMBER m_target)
    Q_PROPERTY(ObjectList children MEMBER m_children)
public:
    double m_rotation = 3.0;
    bool m_disabled = true;
    QRectF m_frame{1, 2, 3, 4};
    ObjectRef m_target;
    ObjectList m_children;
};

TEST(KeyValue, NilOnScalarSetsZero)
{
    Probe probe;
    EXPECT_TRUE(platform::setValueForKey(&probe, QVariant(), "rotation"));
    EXPECT_TRUE(platform::setValueForKey(&probe, QVariant(), "disabled"));
    EXPECT_TRUE(platform::setValueForKey(&probe, QVariant(), "frame"));
    EXPECT_EQ(probe.m_rotation, 0.0);
    EXPECT_FALSE(probe.m_disabled);
    EXPECT_EQ(probe.m_frame, QRectF());
}

TEST(KeyValue, NumbersConvertToThePropertyType)
{
    Probe probe;
    EXPECT_TRUE(platform::setValueForKey(&probe, QVariant(qint64(7)), "rotation"));
    EXPECT_EQ(probe.m_rotation, 7.0);
    EXPECT_TRUE(platform::setValueForKey(&probe, QVariant(qint64(1)), "disabled"));
    EXPECT_TRUE(probe.m_disabled);
}

TEST(KeyValue, ObjectListsReadAsVariantListsAndWriteBack)
{
    Probe probe;
    auto child = std::make_shared<QObject>();
    probe.m_children = {child};
    const QVariant read = platform::valueForKey(&probe, "children");
    ASSERT_EQ(read.metaType(), QMetaType::fromType<QVariantList>());
    ASSERT_EQ(read.toList().size(), 1);
    EXPECT_EQ(platform::objectFromVariant(read.toList().first()), child);

    Probe other;
    EXPECT_TRUE(platform::setValueForKey(&other, read, "children"));
    ASSERT_EQ(other.m_children.size(), 1);
    EXPECT_EQ(other.m_children.first(), child);
}

TEST(KeyValue, UnknownKeyIsRefused)
{
    Probe probe;
    EXPECT_FALSE(platform::setValueForKey(&probe, 1, "noSuchKey"));
    EXPECT_FALSE(platform::valueForKey(&probe, "noSuchKey").isValid());
}

} // namespace

#include "KeyValue_test.moc"
