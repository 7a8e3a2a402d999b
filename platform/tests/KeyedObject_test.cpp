// The per-key steps of a record are overridable: the archive, unarchive and copy walks all go
// through a subclass's override, so a record changes how one key is stored in one place.

#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedObject.h"
#include "platform/KeyedUnarchiver.h"

#include <algorithm>
#include <gtest/gtest.h>

// Keeps "code" reversed in archives and upper-cases it when copied; "name" is stored plainly.
class ReversedCodeRecord : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(QString code MEMBER m_code)
public:
    Q_INVOKABLE ReversedCodeRecord() = default;
    QStringList allCoderKeys() const override { return {"name", "code"}; }

    void encoderKey(platform::KeyedArchiver &coder, const QString &key) const override
    {
        if (key == "code")
            coder.encodeObject(reversed(m_code), key);
        else
            KeyedObject::encoderKey(coder, key);
    }
    void decoderKey(platform::KeyedUnarchiver &coder, const QString &key) override
    {
        if (key == "code")
            m_code = reversed(coder.decodeObjectForKey(key).toString());
        else
            KeyedObject::decoderKey(coder, key);
    }
    void copyToKey(QObject *other, const QString &key) const override
    {
        if (key == "code")
            static_cast<ReversedCodeRecord *>(other)->m_code = m_code.toUpper();
        else
            KeyedObject::copyToKey(other, key);
    }

    static QString reversed(QString text)
    {
        std::reverse(text.begin(), text.end());
        return text;
    }

    QString m_name;
    QString m_code;
};
DW_REGISTER_CLASS(ReversedCodeRecord)

TEST(KeyedObject, WalksGoThroughOverriddenPerKeySteps)
{
    ReversedCodeRecord record;
    record.m_name = "disc";
    record.m_code = "abc";

    platform::KeyedArchiver coder;
    record.encodeWithCoder(coder);
    QString error;
    const QByteArray data = coder.encodedData(&error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();

    platform::KeyedUnarchiver decoder;
    ASSERT_TRUE(decoder.openData(data, &error)) << error.toStdString();
    EXPECT_EQ(decoder.decodeObjectForKey("code").toString(), "cba");
    EXPECT_EQ(decoder.decodeObjectForKey("name").toString(), "disc");

    ReversedCodeRecord restored;
    restored.initWithCoder(decoder);
    EXPECT_FALSE(decoder.failed());
    EXPECT_EQ(restored.m_code, "abc");
    EXPECT_EQ(restored.m_name, "disc");

    const auto copied = std::dynamic_pointer_cast<ReversedCodeRecord>(record.copy());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->m_code, "ABC");
    EXPECT_EQ(copied->m_name, "disc");
}

#include "KeyedObject_test.moc"
