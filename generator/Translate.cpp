#include "Translate.h"

#include "Rows.h"

#include "PinyinTable.h"
#include "TypeRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <unordered_set>

std::string PinyinOf(unsigned char lead, unsigned char trail)
{
    unsigned short code = static_cast<unsigned short>(lead << 8 | trail);
    const PinyinEntry* end = kPinyinTable + kPinyinTableSize;
    const PinyinEntry* it =
        std::lower_bound(kPinyinTable, end, code,
                         [](const PinyinEntry& e, unsigned short c) { return e.Code < c; });
    if (it == end || it->Code != code)
        return std::string();
    return kPinyinSyllables[it->Syllable];
}

namespace {

// The reading of one UTF-8 character, looked up by its GBK code; "" for a
// character GBK or the table does not hold.
std::string ReadingOf(const std::string& character)
{
    std::string gbk;
    if (!platform::TryUtf8ToGbk(character, gbk) || gbk.size() != 2)
        return std::string();
    return PinyinOf(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1]));
}

}  // namespace

std::string PinyinIdentifier(const std::string& name, char prefix)
{
    std::string out;
    bool capital = false;  // the next letter follows a dropped character
    for (std::size_t i = 0; i < name.size();) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        std::size_t len = platform::Utf8CharLength(name, i);
        std::string reading = len > 1 ? ReadingOf(name.substr(i, len)) : std::string();
        i += len;
        if (!reading.empty()) {
            out += reading;
            capital = false;
        } else if (len == 1 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            out += capital && c >= 'a' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
            capital = false;
        } else if (len == 1 && ((c >= '0' && c <= '9') || c == '_')) {
            out += static_cast<char>(c);
            capital = false;
        } else {
            capital = !out.empty();
        }
    }
    if (out.empty() || !platform::IsCharAlphaA(out[0]))
        out.insert(out.begin(), prefix);
    return out;
}

std::string AcceptedName(const std::string& name, bool (*valid)(const std::string&))
{
    if (valid(name))
        return name;
    for (int n = 1;; ++n) {
        std::string candidate = name + "_" + (n == 1 ? std::string() : std::to_string(n));
        if (valid(candidate))
            return candidate;
    }
}

std::string UniqueName(const std::string& name, const std::vector<std::string>& taken)
{
    if (!platform::AnySameTextIgnoreCase(taken, name))
        return name;
    for (int n = 2;; ++n) {
        std::string candidate = name + std::to_string(n);
        if (!platform::AnySameTextIgnoreCase(taken, candidate))
            return candidate;
    }
}

namespace {

using Acceptable = std::function<bool(const std::string&)>;

// The base with a suffix, the base cut short so that the whole fits.
std::string Fitted(const std::string& base, const std::string& suffix, std::size_t maxLength)
{
    if (base.size() + suffix.size() <= maxLength)
        return base + suffix;
    return base.substr(0, maxLength - suffix.size()) + suffix;
}

// The first name from the base that the rule takes and that is free: the
// base itself, then with a number from 2; each, when the rule refuses it,
// with the first of "_", "_2", "_3" and on that it takes.
std::string FirstAcceptable(const std::string& base, const Acceptable& valid,
                            const Acceptable& free, std::size_t maxLength)
{
    for (int n = 1;; ++n) {
        std::string number = n == 1 ? std::string() : std::to_string(n);
        std::string candidate = Fitted(base, number, maxLength);
        for (int k = 2; !valid(candidate); ++k)
            candidate = Fitted(base, number + "_" + (k == 2 ? "" : std::to_string(k)), maxLength);
        if (free(candidate))
            return candidate;
    }
}

std::string ClassIdentifier(const std::string& label)
{
    return AcceptedName(Fitted(PinyinIdentifier(label, 'T'), "", MaxClassNameLength()),
                        IsValidClassName);
}

// The class name of an object whose label another has: its schema in front
// outside dbo.
std::string WithSchema(const std::string& identifier, const std::string& schema)
{
    if (IsDboSchema(schema))
        return identifier;
    return ClassIdentifier(PinyinIdentifier(schema, 'T') + identifier);
}

// Names taken, found as the checks compare them: ignoring case, and
// exactly. Each look-up costs the same however many there are.
class TakenNames {
public:
    TakenNames() = default;
    explicit TakenNames(const std::vector<std::string>& names)
    {
        for (const std::string& n : names)
            Add(n);
    }
    void Add(const std::string& name)
    {
        exact_.insert(name);
        folded_.insert(platform::AsciiLower(name));
    }
    bool Has(const std::string& name) const { return exact_.count(name) != 0; }
    bool HasIgnoringCase(const std::string& name) const
    {
        return folded_.count(platform::AsciiLower(name)) != 0;
    }
    // Whether a class of this name would clash with a class taken: a twin
    // ignoring case, one the other's include guard ("<Class>H"), or one the
    // other's operator class ("<Class>Operator"); with typed rows, one the
    // other's row type ("<Class>Row", DBComm's enumerator would share it).
    bool ClassClashes(const std::string& name, bool rows) const
    {
        auto withSuffix = [&](const std::string& suffix) {
            return Has(name + suffix) ||
                   (name.size() > suffix.size() &&
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                    Has(name.substr(0, name.size() - suffix.size())));
        };
        return HasIgnoringCase(name) || withSuffix("H") || withSuffix("Operator") ||
               (rows && withSuffix("Row"));
    }

private:
    std::unordered_set<std::string> exact_, folded_;
};

// A class name from its identifier, clear of the names taken.
std::string FittingClassName(const std::string& identifier, const TakenNames& taken, bool rows)
{
    return FirstAcceptable(
        identifier,
        [](const std::string& name) {
            return IsValidClassName(name) && !IsRuntimeGuard(name) &&
                   name.size() <= MaxClassNameLength();
        },
        [&](const std::string& name) {
            return !taken.ClassClashes(name, rows) &&
                   (!rows || IsValidClassName(RowTypeName(name)));
        },
        MaxClassNameLength());
}

// The include guards of a library whose classes are named so.
TakenNames GuardsOf(const std::vector<std::string>& classes)
{
    TakenNames guards(std::vector<std::string>{"DBCommH", "DBStoredProcH", "DBTableOperatorH"});
    for (const std::string& c : classes)
        guards.Add(c + "H");
    return guards;
}

// With typed rows (`row` their type's name), a column label must also
// stand in the row and its methods.
std::string ColumnLabel(const std::string& label, const TakenNames& siblings,
                        const TakenNames& guards, const std::string& row = std::string())
{
    // A number keeps a twin apart; the result must still pass the rule and
    // stand for no include guard, which the preprocessor would replace.
    return FirstAcceptable(
        PinyinIdentifier(label, 'F'),
        [&](const std::string& name) {
            return IsValidParameterName(name) && !guards.Has(name) &&
                   (row.empty() || (name != row && IsValidRowColumnName(name, true)));
        },
        [&](const std::string& name) { return !siblings.HasIgnoringCase(name); },
        std::string::npos);
}

void TranslateColumns(std::vector<std::string>& columnLabels, const TakenNames& guards,
                      const std::string& row)
{
    TakenNames done;
    for (std::string& column : columnLabels) {
        column = ColumnLabel(column, done, guards, row);
        done.Add(column);
    }
}

// A procedure's label clear of the other procedures' (their files share a
// folder) and of the tables' and views' classes, whose include guards a
// procedure's own must not be: "<label>ProcedureH" is "<class>H".
std::string FittingProcedureName(const std::string& identifier, const TakenNames& procedures,
                                 const TakenNames& classes)
{
    return FirstAcceptable(
        identifier,
        [](const std::string& name) {
            return IsValidClassName(name) && !IsRuntimeGuard(name) &&
                   name.size() <= MaxProcedureNameLength();
        },
        [&](const std::string& name) {
            return !procedures.HasIgnoringCase(name) && !classes.Has(name + "Procedure") &&
                   !classes.Has(name + "ProcedureH");
        },
        MaxProcedureNameLength());
}

std::string ParameterLabelOf(const std::string& label, const TakenNames& siblings,
                             const TakenNames& guards)
{
    return FirstAcceptable(
        PinyinIdentifier(ParameterLabel(label), 'P'),
        [&](const std::string& name) {
            return IsValidProcedureParameterName(name) && !guards.Has(name);
        },
        [&](const std::string& name) { return !siblings.HasIgnoringCase(name); },
        std::string::npos);
}

void TranslateParameters(std::vector<std::string>& labels, const TakenNames& guards)
{
    TakenNames done;
    for (std::string& label : labels) {
        label = ParameterLabelOf(label, done, guards);
        done.Add(label);
    }
}

// How many of the identifiers each folded one stands for.
std::unordered_map<std::string, std::size_t> FoldedCounts(const std::vector<std::string>& names)
{
    std::unordered_map<std::string, std::size_t> counts;
    for (const std::string& n : names)
        ++counts[platform::AsciiLower(n)];
    return counts;
}

}  // namespace

void TranslateProcedureLabels(std::string& label, std::vector<std::string>& parameterLabels,
                              const std::vector<std::string>& otherProcedures,
                              const std::vector<std::string>& classes, const std::string& schema)
{
    std::string identifier = ClassIdentifier(label);
    TakenNames procedures(otherProcedures);
    if (procedures.HasIgnoringCase(identifier))
        identifier = WithSchema(identifier, schema);
    label = FittingProcedureName(identifier, procedures, TakenNames(classes));
    TakenNames guards = GuardsOf(classes);
    for (const std::string& p : otherProcedures)
        guards.Add(p + "ProcedureH");
    guards.Add(label + "ProcedureH");
    TranslateParameters(parameterLabels, guards);
}

std::string TranslatedParameterLabel(const std::string& label,
                                     const std::vector<std::string>& siblings)
{
    return ParameterLabelOf(label, TakenNames(siblings), GuardsOf({}));
}

std::string TranslatedColumnLabel(const std::string& label,
                                  const std::vector<std::string>& siblings)
{
    return ColumnLabel(label, TakenNames(siblings), GuardsOf({}));
}

void TranslateObjectLabels(std::string& label, std::vector<std::string>& columnLabels,
                           const std::vector<std::string>& otherLabels, const std::string& schema,
                           bool rows)
{
    std::string identifier = ClassIdentifier(label);
    TakenNames others(otherLabels);
    if (others.HasIgnoringCase(identifier))
        identifier = WithSchema(identifier, schema);
    label = FittingClassName(identifier, others, rows);
    std::vector<std::string> classes = otherLabels;
    classes.push_back(label);
    TranslateColumns(columnLabels, GuardsOf(classes), rows ? RowTypeName(label) : std::string());
}

void TranslateLabels(DatabaseSchema& schema, bool rows)
{
    std::vector<SchemaObject*> objects;
    for (SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (SchemaObject& o : *tree)
            objects.push_back(&o);
    // First every object's own identifier; then twins outside dbo take
    // their schema; then those that still clash with one named before take
    // numbers, in order.
    std::vector<std::string> identifiers;
    identifiers.reserve(objects.size());
    for (SchemaObject* o : objects)
        identifiers.push_back(ClassIdentifier(o->Label));
    std::unordered_map<std::string, std::size_t> twins = FoldedCounts(identifiers);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (twins[platform::AsciiLower(identifiers[i])] > 1)
            objects[i]->Label = WithSchema(identifiers[i], objects[i]->Schema);
        else
            objects[i]->Label = identifiers[i];
    }
    std::vector<std::string> classes;
    TakenNames taken;
    for (SchemaObject* o : objects) {
        o->Label = FittingClassName(o->Label, taken, rows);
        classes.push_back(o->Label);
        taken.Add(o->Label);
    }
    // The procedures' classes, apart from one another and from the guards
    // of the tables and views.
    std::vector<std::string> identifiersOfProcedures;
    for (const SchemaObject& p : schema.Procedures)
        identifiersOfProcedures.push_back(ClassIdentifier(p.Label));
    std::unordered_map<std::string, std::size_t> procedureTwins =
        FoldedCounts(identifiersOfProcedures);
    std::vector<std::string> procedures;
    TakenNames proceduresTaken;
    for (std::size_t i = 0; i < schema.Procedures.size(); ++i) {
        std::string identifier = identifiersOfProcedures[i];
        if (procedureTwins[platform::AsciiLower(identifier)] > 1)
            identifier = WithSchema(identifier, schema.Procedures[i].Schema);
        schema.Procedures[i].Label = FittingProcedureName(identifier, proceduresTaken, taken);
        procedures.push_back(schema.Procedures[i].Label);
        proceduresTaken.Add(schema.Procedures[i].Label);
    }
    // Columns last: no parameter may be the include guard of any class.
    TakenNames guards = GuardsOf(classes);
    for (const std::string& p : procedures)
        guards.Add(p + "ProcedureH");
    for (SchemaObject& p : schema.Procedures) {
        NameList parameters = p.ColumnLabels();
        TranslateParameters(parameters, guards);
        for (std::size_t i = 0; i < parameters.size(); ++i)
            p.Columns[i].Label = parameters[i];
    }
    for (SchemaObject* o : objects) {
        NameList columns = o->ColumnLabels();
        TranslateColumns(columns, guards, rows ? RowTypeName(o->Label) : std::string());
        for (std::size_t i = 0; i < columns.size(); ++i)
            o->Columns[i].Label = columns[i];
    }
}
