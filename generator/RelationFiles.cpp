// A table's foreign keys on its operator class: a lookup of the rows that
// reference given values, and the VCL's master-detail link, each value
// bound as a parameter.

#include "Genfunc.h"
#include "OperatorExtras.h"
#include "OperatorNames.h"

#include <algorithm>
#include <set>

namespace {

const char* const kHeaderLookup = "   bool OpenBy${Suffix}(${Parameters});";
const char* const kHeaderLink = "   TDataSource* LinkBy${Suffix}(TDataSource* master);";

const char* const kSourceLookup[] = {
    R"~(bool ${Class}Operator::OpenBy${Suffix}(${Parameters}){)~",
    R"~(   String strSql=${L}"SELECT * FROM [${NameInLiteral}] WHERE ${Condition}";)~",
    R"~(   InitQuery(strSql);)~",
    R"~(${Binding})~",
    R"~(   return DBTableOperator::OpenRows();)~",
    R"~(})~",
    R"~()~",
};

// The master's current row fills the parameters named as its fields, and
// the VCL opens the rows again as the master moves.
const char* const kSourceLink[] = {
    R"~(TDataSource* ${Class}Operator::LinkBy${Suffix}(TDataSource* master){)~",
    R"~(   String strSql=${L}"SELECT * FROM [${NameInLiteral}] WHERE ${LinkCondition}";)~",
    R"~(   InitQuery(strSql);)~",
    R"~(   m_query->DataSource=master;)~",
    R"~(   return DBTableOperator::OpenRows()?m_datasource:NULL;)~",
    R"~(})~",
    R"~()~",
};

// The base clears a query's master before every statement, so that a
// statement bound by the class is never filled from a master's row.
const char* const kBaseInitQuery = "       query->DataSource=NULL;";
const char* const kBaseOpenRows[] = {
    R"~()~",
    R"~(   bool OpenRows(){)~",
    R"~(      try{)~",
    R"~(       Get()->Open();)~",
    R"~(       return true;)~",
    R"~(      }catch(Exception &e){)~",
    R"~(        ${MessageBox}(NULL,e.Message.c_str(),${L}"ExecSQL执行出错",MB_ICONERROR);)~",
    R"~(      })~",
    R"~(      return false;)~",
    R"~(    })~",
};

std::string Shown(const std::string& name)
{
    return platform::Printable(name);
}

}  // namespace

bool IsVclParameterName(const std::string& name, const OutputForm& form)
{
    if (name.empty())
        return false;
    auto plain = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c >= 0x80;
    };
    if (!std::all_of(name.begin(), name.end(), [&](char c) { return plain(c); }))
        return false;
    if (form.Unicode)
        return form.CanHold(name);
    // GBK's second bytes may be ASCII: none may end the name or open a
    // literal where the VCL scans the text.
    std::string bytes;
    if (!platform::TryUtf8ToGbk(name, bytes))
        return false;
    return std::all_of(bytes.begin(), bytes.end(), [&](char c) { return plain(c); });
}

std::vector<RelationPlan> RelationPlans(const SchemaObject& table, const OutputForm& form)
{
    std::vector<RelationPlan> plans;
    std::set<std::string> taken;
    for (const ForeignKey& key : table.ForeignKeys) {
        RelationPlan plan;
        plan.Key = &key;
        std::string suffix;
        std::string blob;
        bool known = true;
        for (const std::string& name : key.Columns) {
            const SchemaColumn* column = ColumnNamed(table, name);
            if (!column) {
                known = false;
                break;
            }
            suffix += column->Label;
            if (blob.empty() && IsBlobType(column->TypeName))
                blob = name;
        }
        if (!known)
            continue;  // a snapshot's key is checked against its table when read
        // The same columns in another key, or a name the rules refuse,
        // take the next number.
        plan.Suffix = suffix;
        for (int n = 2; taken.count(plan.Suffix) || !IsValidIdentifier("OpenBy" + plan.Suffix) ||
                        !IsValidIdentifier("LinkBy" + plan.Suffix);
             ++n)
            plan.Suffix = suffix + std::to_string(n);
        taken.insert(plan.Suffix);
        if (!blob.empty()) {
            plan.LeftOut = "外键字段 " + Shown(blob) +
                           " 是二进制类型，无法按它查找，没有生成 OpenBy" + plan.Suffix +
                           " 和 LinkBy" + plan.Suffix;
            plans.push_back(plan);
            continue;
        }
        plan.Lookup = true;
        plan.Link = true;
        for (const std::string& name : key.ReferencedColumns)
            if (plan.Link && !IsVclParameterName(name, form)) {
                plan.Link = false;
                plan.LeftOut = "被引用的字段 " + Shown(name) +
                               " 的名称不能作为 VCL 的参数名（只能含字母、数字、_ 和汉字等），"
                               "只生成了 OpenBy" +
                               plan.Suffix + "，没有 LinkBy" + plan.Suffix;
            }
        plans.push_back(plan);
    }
    return plans;
}

void AddRelationMethods(const SchemaObject& table, const std::vector<RelationPlan>& plans,
                        const OutputForm& form, OperatorExtras& extras)
{
    std::string name = ObjectInLiteral(table.Schema, table.Name);
    for (const RelationPlan& plan : plans) {
        if (!plan.Lookup)
            continue;
        std::vector<std::string> parameters, condition, link, binding = {"   int nCount=0;"};
        for (std::size_t k = 0; k < plan.Key->Columns.size(); ++k) {
            const SchemaColumn& c = *ColumnNamed(table, plan.Key->Columns[k]);
            parameters.push_back(ParameterTypeOf(c.TypeName, true) + c.Label);
            std::string column = std::string("[").append(InLiteral(c.Name)).append("]=:");
            condition.push_back(column + LiteralEscaped(c.Label));
            link.push_back(column + LiteralEscaped(plan.Key->ReferencedColumns[k]));
            binding.push_back(BindingLineOf(c.TypeName, c.Label));
        }
        std::vector<platform::Field> fields = {
            {"Class", table.Label},
            {"Suffix", plan.Suffix},
            {"Parameters", JoinItems(parameters, ",")},
            {"NameInLiteral", name},
            {"Condition", JoinItems(condition, " AND ")},
            {"LinkCondition", JoinItems(link, " AND ")},
            {"Binding", JoinLines(binding)},
        };
        extras.Members += FillForm(kHeaderLookup, fields, form) + "\r\n";
        extras.Definitions += FillForm(TemplateText(kSourceLookup), fields, form);
        if (plan.Link) {
            extras.Members += FillForm(kHeaderLink, fields, form) + "\r\n";
            extras.Definitions += FillForm(TemplateText(kSourceLink), fields, form);
        }
    }
}

std::vector<std::string> RelationsLeftOut(const SchemaObjects& tables, const OutputForm& form)
{
    std::vector<std::string> lines;
    for (const SchemaObject& t : tables)
        for (const RelationPlan& plan : RelationPlans(t, form))
            if (!plan.LeftOut.empty())
                lines.push_back("数据表 " + Shown(t.Label) + "：外键 " + Shown(plan.Key->Name) +
                                "：" + plan.LeftOut);
    return lines;
}

std::string RelationBaseInitQueryLine()
{
    return kBaseInitQuery;
}

std::vector<std::string> RelationBaseHelperLines()
{
    return {std::begin(kBaseOpenRows), std::end(kBaseOpenRows)};
}
