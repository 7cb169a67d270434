#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(GbkText, LeadBytesAndLetters)
{
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0xFE));
    EXPECT_FALSE(IsLeadByte(0xFF));
    EXPECT_FALSE(IsLeadByte('A'));

    EXPECT_TRUE(IsCharAlphaA('a'));
    EXPECT_TRUE(IsCharAlphaA('Z'));
    for (char c : std::string("0_ -.[@`{"))
        EXPECT_FALSE(IsCharAlphaA(c)) << c;
    // No byte of a double-byte character counts as a letter.
    std::string word = Gbk("用户");
    EXPECT_FALSE(IsCharAlphaA(word[0]));
    EXPECT_FALSE(IsCharAlphaA(word[2]));
}

TEST(GbkText, CharLengthKeepsDoubleByteCharactersWhole)
{
    std::string s = "a\xB0\x41"
                    "b\xB0";
    EXPECT_EQ(CharLength(s, 0), 1u);
    EXPECT_EQ(CharLength(s, 1), 2u);
    EXPECT_EQ(CharLength(s, 3), 1u);
    // A lead byte in the last position stands alone.
    EXPECT_EQ(CharLength(s, 4), 1u);
}

TEST(GbkText, CaseInsensitiveComparisonFoldsOnlySingleByteLetters)
{
    EXPECT_TRUE(SameTextIgnoreCase("INT", "int"));
    EXPECT_TRUE(SameTextIgnoreCase("Int", "iNT"));
    EXPECT_FALSE(SameTextIgnoreCase("int", "int "));
    EXPECT_FALSE(SameTextIgnoreCase("", "a"));
    EXPECT_TRUE(SameTextIgnoreCase("", ""));

    // 癆 is B0 41 and 癮 is B0 61: a byte-wise fold would make them equal.
    std::string a = Gbk("癆"), b = Gbk("癮");
    ASSERT_EQ(a, "\xB0\x41");
    ASSERT_EQ(b, "\xB0\x61");
    EXPECT_FALSE(SameTextIgnoreCase(a, b));
    EXPECT_FALSE(SameTextIgnoreCase("ID" + a, "id" + b));
    EXPECT_TRUE(SameTextIgnoreCase("ID" + a, "id" + a));

    EXPECT_LT(CompareTextIgnoreCase("abc", "ABD"), 0);
    EXPECT_GT(CompareTextIgnoreCase("abcd", "ABC"), 0);
    EXPECT_NE(CompareTextIgnoreCase(a, b), 0);
    EXPECT_EQ(CompareTextIgnoreCase(a, b), -CompareTextIgnoreCase(b, a));
}

TEST(GbkText, ConvertsBothWaysAndReportsWhatGbkCannotHold)
{
    EXPECT_EQ(Gbk("提示"), "\xCC\xE1\xCA\xBE");
    EXPECT_EQ(Gbk("执行出错"), "\xD6\xB4\xD0\xD0\xB3\xF6\xB4\xED");
    EXPECT_EQ(GbkToUtf8("\xCC\xE1\xCA\xBE"), "提示");
    EXPECT_EQ(Gbk("plain ASCII"), "plain ASCII");
    EXPECT_EQ(Gbk(""), "");

    // An emoji has no GBK form: reported, never replaced by '?'.
    EXPECT_THROW(Utf8ToGbk("col\xF0\x9F\x98\x80"), TextConversionError);
    std::string out = "untouched";
    EXPECT_FALSE(TryUtf8ToGbk("\xF0\x9F\x98\x80", out));
    // A lone lead byte is not GBK text.
    EXPECT_THROW(GbkToUtf8("ab\xB0"), TextConversionError);
}

TEST(GbkText, WideTextGbkCannotHoldIsMarkedOneCharacterAtATime)
{
    struct Case {
        const char* what;
        std::u16string wide;
        std::string gbk;
        bool lossy;
    };
    const std::string mark = "\xA3\xBF";  // the full-width question mark
    const Case cases[] = {
        {"Chinese", u"\u4E00\u63D0", "\xD2\xBB\xCC\xE1", false},
        {"a pair of surrogates", u"E\xD83D\xDE00", "E" + mark, true},
        {"a high surrogate before a character", u"\xD800\x4E00", mark + "\xD2\xBB", true},
        {"a high surrogate before one GBK lacks", u"\xD800\x2A00", mark + mark, true},
        {"a high surrogate before another", u"\xD800\xD800\xDC00", mark + mark, true},
        {"a high surrogate at the end", u"a\xD800", "a" + mark, true},
        {"a low surrogate alone",
         u"\xDC00"
         u"a",
         mark + "a", true},
        {"the full-width question mark itself", u"\xFF1F", mark, false},
    };
    for (const Case& c : cases) {
        bool lossy = false;
        EXPECT_EQ(platform::Utf16ToGbk(c.wide, lossy), c.gbk) << c.what;
        EXPECT_EQ(lossy, c.lossy) << c.what;
    }
}

#ifdef _WIN32
#include <windows.h>

// Our rules against the platform's own, under the code page 936.
TEST(GbkTextOnWindows, AgreesWithThePlatformsLeadBytesLettersAndComparison)
{
    ASSERT_EQ(GetACP(), 936u);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(c)),
                  IsDBCSLeadByte(static_cast<BYTE>(c)) != 0)
            << c;
        // The platform also counts letters of the code page outside ASCII; no
        // single byte of code page 936 beyond 0x7F is a character on its own
        // except 0x80, so the two agree wherever a name can start.
        if (c < 0x80) {
            EXPECT_EQ(platform::IsCharAlphaA(static_cast<char>(c)),
                      ::IsCharAlphaA(static_cast<CHAR>(c)) != 0)
                << c;
        }
    }
    auto platformSame = [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                              static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size())) == CSTR_EQUAL;
    };
    const std::pair<std::string, std::string> pairs[] = {{"INT", "int"},
                                                         {"Int", "iNT"},
                                                         {"int", "int "},
                                                         {"ID" + Gbk("癆"), "id" + Gbk("癆")},
                                                         {Gbk("癆"), Gbk("癮")},
                                                         {"varchar", "VarChar"},
                                                         {"abc", "abd"}};
    for (const auto& [a, b] : pairs)
        EXPECT_EQ(SameTextIgnoreCase(a, b), platformSame(a, b)) << a << " / " << b;
}
#endif
