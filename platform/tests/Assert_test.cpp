#include "platform/Assert.h"

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The recoveries must act where the assertion is written: on the caller's loop, or by leaving the
// caller. The fatal switch of test runs is turned off here, since every case fails on purpose.
class SoftAssert : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = qgetenv("DISCWRIGHT_FATAL_ASSERTS");
        qunsetenv("DISCWRIGHT_FATAL_ASSERTS");
    }
    void TearDown() override
    {
        if (!m_saved.isNull())
            qputenv("DISCWRIGHT_FATAL_ASSERTS", m_saved);
    }

private:
    QByteArray m_saved;
};

int firstNegativeOrMinusOne(const std::vector<int> &values)
{
    for (int value : values) {
        DW_ASSERT(value >= 0, return value);
    }
    return -1;
}

TEST_F(SoftAssert, RecoveryStatementsActOnTheCallersLoop)
{
    const std::vector<int> values{1, -2, 3, -4, 5};

    std::vector<int> kept;
    for (int value : values) {
        DW_ASSERT(value >= 0, continue);
        kept.push_back(value);
    }
    EXPECT_EQ(kept, (std::vector<int>{1, 3, 5})) << "continue skips the rest of the iteration";

    std::vector<int> before;
    for (int value : values) {
        DW_ASSERT(value >= 0, break);
        before.push_back(value);
    }
    EXPECT_EQ(before, (std::vector<int>{1})) << "break leaves the loop";

    EXPECT_EQ(firstNegativeOrMinusOne(values), -2) << "return leaves the caller";
    EXPECT_EQ(firstNegativeOrMinusOne({1, 2}), -1);
}

TEST_F(SoftAssert, WorksAsTheOnlyStatementOfAnUnbracedIf)
{
    int recovered = 0;
    for (int i = 0; i < 3; ++i)
        if (i != 1)
            DW_ASSERT(i == 0, ++recovered);
    EXPECT_EQ(recovered, 1) << "only i == 2 fails; i == 1 never reaches the assertion";
}

} // namespace
