#include "db/error.h"

#include <gtest/gtest.h>

namespace {

TEST(HexNumber, WritesTheAdoNumbersAsSupportSeesThem) {
    EXPECT_EQ(db::HexNumber(db::ErrorNumber::kTableMissing), "0x80040E37");
    EXPECT_EQ(db::HexNumber(db::ErrorNumber::kUnspecified), "0x80004005");
    EXPECT_EQ(db::HexNumber(3265), "0x00000CC1");
}

}  // namespace
