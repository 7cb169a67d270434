#include "NamedInput.h"
#include "generator/Run.h"
#include "generator/Translate.h"
#include "generator/TypeRules.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

TEST(Pinyin, ChineseCharactersBecomeCapitalisedReadingsWithoutTones)
{
    EXPECT_EQ(PinyinIdentifier("用户表", 'T'), "YongHuBiao");
    EXPECT_EQ(PinyinIdentifier("姓名", 'F'), "XingMing");
    EXPECT_EQ(PinyinIdentifier("绿色", 'F'), "LvSe");  // ü is written v
    // A character with several readings takes the first listed: 万 wàn mò.
    EXPECT_EQ(PinyinIdentifier("万", 'F'), "Wan");
    EXPECT_EQ(PinyinIdentifier("订单_2024", 'T'), "DingDan_2024");
    EXPECT_TRUE(IsValidIdentifier(PinyinIdentifier("客户 信息-表", 'T')));
}

TEST(Pinyin, AnyNameBecomesAnIdentifierTheRuleAccepts)
{
    struct Case {
        std::string name;
        char prefix;
        std::string identifier;
    };
    const Case cases[] = {
        {"Order Details", 'T', "OrderDetails"},
        {"Name.Prefix", 'F', "NamePrefix"},
        {"Database Version", 'F', "DatabaseVersion"},
        {"a-b c", 'F', "aBC"},
        {"first name", 'F', "firstName"},
        {"123", 'T', "T123"},
        {"_id", 'F', "F_id"},
        {"#$", 'F', "F"},
        {"", 'T', "T"},
        {" Staff", 'T', "Staff"},
        {"Staff", 'T', "Staff"},
        {"e\x80mail", 'F', "eMail"},  // a single byte that is no letter
        // A double-byte character without a reading (the full-width bracket).
        {"【表】", 'T', "Biao"},
        {"客户 信息-表", 'T', "KeHuXinXiBiao"},
        {"订单 no", 'T', "DingDanNo"},
    };
    for (const Case& c : cases) {
        std::string id = PinyinIdentifier(c.name, c.prefix);
        EXPECT_EQ(id, c.identifier) << c.name;
        EXPECT_TRUE(IsValidIdentifier(id)) << c.name;
    }
}

TEST(Pinyin, NamesTheRuleRefusesTakeASuffixItAccepts)
{
    struct Case {
        const char* name;
        const char* asClass;
        const char* asParameter;
    };
    const Case cases[] = {
        {"int", "int_", "int_"},
        {"class", "class_", "class_"},
        {"IGNORE", "IGNORE_", "IGNORE_"},
        {"DBComm", "DBComm_", "DBComm"},
        {"condition", "condition", "condition_"},
        {"m_query", "m_query", "m_query_"},
        {"Staff", "Staff", "Staff"},
    };
    for (const Case& c : cases) {
        std::string label = c.name;
        std::vector<std::string> columns = {c.name};
        TranslateObjectLabels(label, columns, {});
        EXPECT_EQ(label, c.asClass) << c.name;
        EXPECT_EQ(columns[0], c.asParameter) << c.name;
        EXPECT_TRUE(IsValidClassName(label)) << c.name;
        EXPECT_TRUE(IsValidParameterName(columns[0])) << c.name;
    }
}

TEST(Pinyin, TwinsAcrossSchemasTakeTheirSchemaAndThenANumber)
{
    auto object = ObjectInSchema;
    DatabaseSchema schema;
    schema.Tables = {object("Customers", "Sales", {"ID", "Name"}),
                     object("Customers", "dbo", {"a b", "a-b", "ab"}),
                     object("Order Details", "dbo", {"int"}),
                     object("OrderDetails", "Sales", {}),
                     object("orderdetails", "Sales", {}),
                     object("用户表", "dbo", {})};
    schema.Views = {object("Customers", "Website", {"Name.Prefix"}),
                    object("YongHuBiao", "dbo", {})};
    TranslateLabels(schema);
    NameList labels;
    for (const SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (const SchemaObject& o : *tree)
            labels.push_back(o.Label);
    EXPECT_EQ(labels,
              (NameList{"SalesCustomers", "Customers", "OrderDetails", "SalesOrderDetails",
                        "Salesorderdetails2", "YongHuBiao", "WebsiteCustomers", "YongHuBiao2"}));
    // Two parameters that would be equal take a number; names stay exact.
    EXPECT_EQ(schema.Tables[1].ColumnLabels(), (NameList{"aB", "aB2", "ab3"}));
    EXPECT_EQ(schema.Tables[1].Columns[0].Name, "a b");
    EXPECT_EQ(schema.Tables[2].ColumnLabels(), (NameList{"int_"}));
    EXPECT_EQ(schema.Views[0].ColumnLabels(), (NameList{"NamePrefix"}));
    EXPECT_EQ(schema.Views[0].Name, "Customers");
}

TEST(Pinyin, CollidingNamesGetANumericSuffix)
{
    EXPECT_EQ(UniqueName("Biao", {}), "Biao");
    EXPECT_EQ(UniqueName("Biao", {"biao"}), "Biao2");
    EXPECT_EQ(UniqueName("Biao", {"Biao", "Biao2", "x"}), "Biao3");
}

TEST(Pinyin, TranslationAlwaysGivesNamesTheRunTakesAndTranslatingAgainChangesNothing)
{
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += "壮";  // "Zhuang", six letters each
    struct Case {
        const char* what;
        std::vector<std::string> tables, views;
        std::vector<std::string> columns;  // of the first table
    };
    const Case cases[] = {
        {"a class and its include guard", {"GOODS", "GOODSH"}, {"ALCPOOLH", "ALCPOOL"}, {"a"}},
        {"the runtime's guard", {"DBCommH"}, {}, {"a"}},
        {"numbered twins landing on a macro", {"VK_F", "VK_F2_", "VK_F。"}, {}, {"a"}},
        {"a class and its operator class",
         {"Log", "LogOperator"},
         {"OrderOperator", "Order"},
         {"a"}},
        {"a name too long for a file", {forty, forty + "x"}, {}, {"a"}},
        {"a parameter named as a guard", {"T", "GOODS"}, {}, {"GOODSH", "TH", "DBCommH"}},
    };
    for (const Case& c : cases) {
        RunInput in = NamedInput(c.tables, c.views);
        in.Schema.Tables[0].Columns.clear();
        for (const std::string& col : c.columns)
            in.Schema.Tables[0].Columns.push_back({col, col, "int", "int"});
        TranslateLabels(in.Schema);
        QuietRunHost quiet;
        EXPECT_TRUE(ChecksPass(in, quiet, "")) << c.what;
        DatabaseSchema again = in.Schema;
        TranslateLabels(again);
        for (int tree = 0; tree < 2; ++tree) {
            const SchemaObjects& before = tree == 0 ? in.Schema.Tables : in.Schema.Views;
            const SchemaObjects& after = tree == 0 ? again.Tables : again.Views;
            for (std::size_t k = 0; k < before.size(); ++k) {
                EXPECT_EQ(after[k].Label, before[k].Label) << c.what;
                EXPECT_EQ(after[k].ColumnLabels(), before[k].ColumnLabels()) << c.what;
            }
        }
    }
}
