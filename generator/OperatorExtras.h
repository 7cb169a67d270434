#ifndef GeneratorOperatorExtrasH
#define GeneratorOperatorExtrasH

// What an operator class has beyond its plain members and key methods, as
// the run's options ask: a relation's lookup and master-detail link, and a
// typed row. Each room fills its own text; the class's writer puts it in
// as it is.

#include <string>
#include <vector>

#include "OutputForm.h"
#include "schema/Schema.h"

struct OperatorExtras {
    // Lines before the class (the row type), each ending in CR LF.
    std::string TypesBefore;
    // Member declarations put in before the read side, each ending in CR LF.
    std::string Members;
    // Their definitions, each ending in a blank line.
    std::string Definitions;
    bool Empty() const { return TypesBefore.empty() && Members.empty() && Definitions.empty(); }
};

// A foreign key's methods on its table's operator class: the lookup
// "OpenBy<Suffix>" and, where the referenced columns' names can be the
// VCL's parameter names, the master-detail link "LinkBy<Suffix>". Suffix
// is the key's column labels one after another, a number after it when
// another key of the table has those columns too.
struct RelationPlan {
    const ForeignKey* Key = nullptr;
    std::string Suffix;
    bool Lookup = false;
    bool Link = false;
    // Why the relation, or its link, is left out; "" when nothing is.
    std::string LeftOut;
};
// The plans of a table's foreign keys, in key order (labels resolved and
// types grouped).
std::vector<RelationPlan> RelationPlans(const SchemaObject& table, const OutputForm& form);
// The methods of the plans, added to the class's extras.
void AddRelationMethods(const SchemaObject& table, const std::vector<RelationPlan>& plans,
                        const OutputForm& form, OperatorExtras& extras);
// One line for each relation of the tables that is left out, in whole or
// its link, with why: "数据表 <label>：外键 <name>：...".
std::vector<std::string> RelationsLeftOut(const SchemaObjects& tables, const OutputForm& form);

// Whether a name can stand after ":" in a SQL text as one of the VCL's
// parameter names, unquoted, and reach the server as a parameter of that
// name: letters, digits, "_" and characters beyond ASCII (whose bytes, in
// the ANSI form's GBK, hold no delimiter or quote).
bool IsVclParameterName(const std::string& name, const OutputForm& form);

// The lines the runtime's base class gains for relations and for rows:
// before the class, in its InitQuery, and among its helpers (templates,
// the form's fields unfilled).
std::string RelationBaseInitQueryLine();
std::vector<std::string> RelationBaseHelperLines();
std::vector<std::string> RowBaseTypeLines();
std::vector<std::string> RowBaseHelperLines();

// A template's lines as one text, each ended by CR LF.
template <std::size_t N> std::string TemplateText(const char* const (&lines)[N])
{
    std::string text;
    for (const char* line : lines)
        text.append(line).append("\r\n");
    return text;
}

// The column of an object with this catalogue name, or null.
inline const SchemaColumn* ColumnNamed(const SchemaObject& object, const std::string& name)
{
    for (const SchemaColumn& c : object.Columns)
        if (c.Name == name)
            return &c;
    return nullptr;
}

#endif
