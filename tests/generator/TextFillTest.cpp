#include "generator/TextFill.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(TemplateFill, FieldsFillByNameAndTheirTextIsNeverReadAgain)
{
    using platform::FillFields;
    EXPECT_EQ(FillFields("${A}-${B}-${A}", {{"B", "b"}, {"A", "a"}}), "a-b-a");
    // Percent signs and a field's own "${...}" pass through unchanged.
    EXPECT_EQ(FillFields(" WHERE %s [${N}]", {{"N", "100%s ${N}"}}), " WHERE %s [100%s ${N}]");
    EXPECT_EQ(FillFields("no fields", {{"Unused", "x"}}), "no fields");
    std::string longName(5000, 'x');
    EXPECT_EQ(FillFields("<${N}>", {{"N", longName}}).size(), 5002u);
    EXPECT_THROW(FillFields("${A} ${B}", {{"A", "a"}}), std::logic_error);
    EXPECT_THROW(FillFields("${A", {{"A", "a"}}), std::logic_error);
}

TEST(TemplateFill, SeparatorsStandOnlyBetweenItems)
{
    EXPECT_EQ(JoinItems({}, ","), "");
    EXPECT_EQ(JoinItems({"a"}, ","), "a");
    EXPECT_EQ(JoinItems({"a", "b", "c"}, ","), "a,b,c");
    EXPECT_EQ(JoinLines({"x", "", "y"}), "x\r\n\r\ny");
}

TEST(NameEscaping, EachLevelDoublesOrPrefixesItsOwnCharacters)
{
    EXPECT_EQ(SqlBracketed("a]b]]"), "a]]b]]]]");
    EXPECT_EQ(FormatEscaped("100%"), "100%%");
    EXPECT_EQ(LiteralEscaped("say \"hi\" C:\\x"), "say \\\"hi\\\" C:\\\\x");
    EXPECT_EQ(LiteralEscaped("two\r\nlines\n"), "two\\r\\nlines\\n");
    EXPECT_EQ(SqlBracketed("Users"), "Users");
    EXPECT_EQ(LiteralEscaped("Users"), "Users");
}

TEST(NameEscaping, GbkTrailBytesOfTheFileAreNeverTakenForTheCharactersEscaped)
{
    // 乚 is 81 5D in GBK and 乗 is 81 5C: in the file their second bytes
    // are ']' and '\\'. Escaping works on the UTF-8 text, where no byte of
    // either is one of those, so only the real ones are doubled.
    ASSERT_EQ(platform::Utf8ToGbk("乚"), "\x81\x5D");
    ASSERT_EQ(platform::Utf8ToGbk("乗"), "\x81\x5C");
    EXPECT_EQ(platform::Utf8ToGbk(SqlBracketed("a乚]")), "a\x81\x5D]]");
    EXPECT_EQ(platform::Utf8ToGbk(LiteralEscaped("乗\\")), "\x81\x5C\\\\");
}
