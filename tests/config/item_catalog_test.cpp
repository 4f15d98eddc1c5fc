#include "config/item_catalog.h"

#include <gtest/gtest.h>

#include <string>

#include "config/config_errors.h"
#include "db/error.h"

namespace config {
namespace {

TEST(ItemCatalog, ConversionsOnStore) {
    NorvConnItems items;
    const ItemInfo& number = *FindItem("포인트_우수리");
    const ItemInfo& byte = *FindItem("M_바코드종류");
    const ItemInfo& flag = *FindItem("장비_온라인서비스");
    const ItemInfo& text = *FindItem("영수증_메시지1");

    number.set(items, util::Variant(2.5));  // half to even, as VB's CLng
    EXPECT_EQ(items.포인트_우수리, 2);
    number.set(items, util::Variant(3.5));
    EXPECT_EQ(items.포인트_우수리, 4);
    number.set(items, util::Variant());  // an empty slot
    EXPECT_EQ(items.포인트_우수리, 0);
    text.set(items, util::Variant(12.0));
    EXPECT_EQ(items.영수증_메시지1, "12");
    flag.set(items, util::Variant(0.0));
    EXPECT_FALSE(items.장비_온라인서비스);

    const util::Variant tooLarge[] = {util::Variant(256), util::Variant(-1)};
    for (const auto& v : tooLarge) {
        try {
            byte.set(items, v);
            ADD_FAILURE() << v.AsText();
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.Number(), ConfigError::kOverflow);
        }
    }
    EXPECT_THROW(number.set(items, util::Variant(3e9)), db::DbError);
}

TEST(ItemCatalog, ItemTextAsStatementsWriteIt) {
    NorvConnItems items;
    items.장비_온라인서비스 = true;
    items.데이터_종류 = 1;
    items.데이터_SQLPass = "a'b";
    EXPECT_EQ(ItemText(items, *FindItem("장비_온라인서비스")), "-1");
    EXPECT_EQ(ItemText(items, *FindItem("데이터_종류")), "1");
    EXPECT_EQ(ItemText(items, *FindItem("데이터_SQLPass")), "a'b");
}

}  // namespace
}  // namespace config
