#include "platform/Text.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;

TEST(Text, LettersAreAsciiLettersOnly)
{
    EXPECT_TRUE(IsCharAlphaA('a'));
    EXPECT_TRUE(IsCharAlphaA('Z'));
    for (char c : std::string("0_ -.[@`{"))
        EXPECT_FALSE(IsCharAlphaA(c)) << c;
    // No byte of a multi-byte UTF-8 character counts as a letter.
    for (char c : std::string("用户é"))
        EXPECT_FALSE(IsCharAlphaA(c));
}

TEST(Text, CaseInsensitiveComparisonFoldsOnlyAsciiLetters)
{
    struct Case {
        std::string a, b;
        bool same;
    };
    const Case cases[] = {
        {"INT", "int", true},
        {"Int", "iNT", true},
        {"int", "int ", false},
        {"", "a", false},
        {"", "", true},
        // Letters outside ASCII keep their case: É (C3 89) and é (C3 A9)
        // differ, and no fold of a byte of one makes it the other.
        {"É", "é", false},
        {"IDé", "idé", true},
        {"用户", "用户", true},
        {"用户", "用戶", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameTextIgnoreCase(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(CompareTextIgnoreCase(c.a, c.b) == 0, c.same) << c.a << " / " << c.b;
        EXPECT_EQ(CompareTextIgnoreCase(c.a, c.b), -CompareTextIgnoreCase(c.b, c.a));
    }
    EXPECT_LT(CompareTextIgnoreCase("abc", "ABD"), 0);
    EXPECT_GT(CompareTextIgnoreCase("abcd", "ABC"), 0);
    // Code point order: 一 (U+4E00) before 😀 (U+1F600).
    EXPECT_LT(CompareTextIgnoreCase("一", "😀"), 0);
}

TEST(Text, ConvertsBothWaysAndReportsWhatGbkCannotHold)
{
    EXPECT_EQ(Utf8ToGbk("提示"), "\xCC\xE1\xCA\xBE");
    EXPECT_EQ(Utf8ToGbk("执行出错"), "\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED");
    EXPECT_EQ(GbkToUtf8("\xCC\xE1\xCA\xBE"), "提示");
    EXPECT_EQ(Utf8ToGbk("plain ASCII"), "plain ASCII");
    EXPECT_EQ(Utf8ToGbk(""), "");

    // An emoji has no GBK form: reported, never replaced by '?'.
    EXPECT_THROW(Utf8ToGbk("col\xF0\x9F\x98\x80"), TextConversionError);
    std::string out = "untouched";
    EXPECT_FALSE(TryUtf8ToGbk("\xF0\x9F\x98\x80", out));
    // A lone lead byte is not GBK text.
    EXPECT_THROW(GbkToUtf8("ab\xB0"), TextConversionError);

    struct Case {
        const char* text;
        bool holds;
    };
    const Case cases[] = {{"", true},       {"Staff", true},
                          {"用户表", true}, {"臺灣", true},
                          {"face😀", false}, {"\xE2\x82", false},
                          {"é", true},      {"\xF0\xA0\x80\x80", false}};
    for (const Case& c : cases)
        EXPECT_EQ(GbkCanHold(c.text), c.holds) << c.text;
}

TEST(Text, WideTextRoundTripsExactlyLoneSurrogatesToo)
{
    struct Case {
        const char* what;
        std::u16string wide;
        std::string utf8;
    };
    const Case cases[] = {
        {"Chinese", u"\u4E00\u63D0", "一提"},
        {"a pair of surrogates", u"E\xD83D\xDE00", "E😀"},
        {"a high surrogate at the end", u"a\xD800", "a\xED\xA0\x80"},
        {"a low surrogate alone", u"\xDC00", "\xED\xB0\x80"},
        {"a low one before a high one", u"\xDFFF\xDBFFx", "\xED\xBF\xBF\xED\xAF\xBFx"},
        {"beside the character it is not", u"a\xFFFD", "a\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.wide), c.utf8) << c.what;
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide) << c.what;
    }
    // A name with a lone surrogate is not one GBK holds.
    EXPECT_FALSE(GbkCanHold(Utf16ToUtf8(u"a\xD800")));
}

TEST(Text, PrintableShowsWhatCouldSplitOverwriteOrReverseALine)
{
    struct Case {
        std::string name;
        std::string shown;
    };
    const Case cases[] = {
        {"Order Details", "Order Details"},
        {"学生表", "学生表"},
        {"a\nb", "a\\x0Ab"},
        {"a\rb", "a\\x0Db"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x1B[2J\x7F", "\\x1B[2J\\x7F"},
        {"abc\u202Etxt.exe", "abc\\u202Etxt.exe"},
        {"\u2066x\u2069\u200F\u061C", "\\u2066x\\u2069\\u200F\\u061C"},
        {"a\u2028b\u0085", "a\\u2028b\\u0085"},
        {"a\xED\xA0\x80", "a\\uD800"},
        {"\xFF\xE4\xB8", "\\xFF\\xE4\\xB8"},  // bytes that begin no character
        {"E😀", "E😀"},
        // Nothing a name holds can pass for an escape, nor vanish.
        {"x\\u202E", "x\\\\u202E"},
        {"C:\\Out", "C:\\\\Out"},
        {"Orders\u200B", "Orders\\u200B"},
        {"\uFEFFa\u00ADb", "\\uFEFFa\\u00ADb"},
        {"a\u00A0b\u3000c", "a\\u00A0b\\u3000c"},
        {"tag\U000E0041", "tag\\U000E0041"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Printable(c.name), c.shown) << c.shown;
    // No two names are shown alike.
    std::set<std::string> shown;
    for (const Case& c : cases)
        EXPECT_TRUE(shown.insert(Printable(c.name)).second) << c.shown;
    EXPECT_NE(Printable("x\u202E"), Printable("x\\u202E"));
}

TEST(Text, DoublingIsByteWiseOnUtf8)
{
    EXPECT_EQ(DoubleChar("a%b%%", '%'), "a%%b%%%%");
    // 中 is E4 B8 AD: no byte of it is "]", so a "]" after it is doubled.
    EXPECT_EQ(DoubleChar("中]", ']'), "中]]");
}
