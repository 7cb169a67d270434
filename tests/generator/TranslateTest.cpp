#include "generator/Translate.h"
#include "generator/TypeRules.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

using platform::Gbk;

TEST(Pinyin, ChineseCharactersBecomeCapitalisedReadingsWithoutTones)
{
    EXPECT_EQ(PinyinIdentifier(Gbk("用户表"), 'T'), "YongHuBiao");
    EXPECT_EQ(PinyinIdentifier(Gbk("姓名"), 'F'), "XingMing");
    EXPECT_EQ(PinyinIdentifier(Gbk("绿色"), 'F'), "LvSe");  // ü is written v
    // A character with several readings takes the first listed: 万 wàn mò.
    EXPECT_EQ(PinyinIdentifier(Gbk("万"), 'F'), "Wan");
    EXPECT_EQ(PinyinIdentifier(Gbk("订单_2024"), 'T'), "DingDan_2024");
    EXPECT_TRUE(IsValidIdentifier(PinyinIdentifier(Gbk("客户 信息-表"), 'T')));
}

TEST(Pinyin, OtherCharactersBecomeUnderscoresAndAPrefixMakesALetterFirst)
{
    EXPECT_EQ(PinyinIdentifier("a-b c", 'F'), "a_b_c");
    EXPECT_EQ(PinyinIdentifier("123", 'T'), "T123");
    EXPECT_EQ(PinyinIdentifier("#$", 'F'), "F__");
    EXPECT_EQ(PinyinIdentifier("_id", 'F'), "F_id");
    EXPECT_EQ(PinyinIdentifier("", 'T'), "T");
    // A double-byte character without a reading (the full-width bracket).
    EXPECT_EQ(PinyinIdentifier(Gbk("【表】"), 'T'), "T_Biao_");
    EXPECT_EQ(PinyinIdentifier("Staff", 'T'), "Staff");
}

TEST(Pinyin, CollidingNamesGetANumericSuffix)
{
    EXPECT_EQ(UniqueName("Biao", {}), "Biao");
    EXPECT_EQ(UniqueName("Biao", {"biao"}), "Biao2");
    EXPECT_EQ(UniqueName("Biao", {"Biao", "Biao2", "x"}), "Biao3");
}
