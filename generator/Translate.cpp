#include "Translate.h"

#include "PinyinTable.h"
#include "TypeRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <functional>

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

// A class name that every check of a run takes beside the names taken.
bool ClassNameFits(const std::string& name, const std::vector<std::string>& taken)
{
    if (!IsValidClassName(name) || IsRuntimeGuard(name) || name.size() > MaxClassNameLength())
        return false;
    for (const std::string& other : taken)
        if (ClassNamesClash(name, other) != ClassClash::None)
            return false;
    return true;
}

// A class name from its identifier, clear of the names taken.
std::string FittingClassName(const std::string& identifier, const std::vector<std::string>& taken)
{
    return FirstAcceptable(
        identifier,
        [](const std::string& name) {
            return IsValidClassName(name) && !IsRuntimeGuard(name) &&
                   name.size() <= MaxClassNameLength();
        },
        [&](const std::string& name) { return ClassNameFits(name, taken); }, MaxClassNameLength());
}

// The include guards of a library whose classes are named so.
std::vector<std::string> GuardsOf(const std::vector<std::string>& classes)
{
    std::vector<std::string> guards = {"DBCommH", "DBStoredProcH", "DBTableOperatorH"};
    for (const std::string& c : classes)
        guards.push_back(c + "H");
    return guards;
}

std::string ColumnLabel(const std::string& label, const std::vector<std::string>& siblings,
                        const std::vector<std::string>& guards)
{
    // A number keeps a twin apart; the result must still pass the rule and
    // stand for no include guard, which the preprocessor would replace.
    return FirstAcceptable(
        PinyinIdentifier(label, 'F'),
        [&](const std::string& name) {
            return IsValidParameterName(name) &&
                   std::find(guards.begin(), guards.end(), name) == guards.end();
        },
        [&](const std::string& name) { return !platform::AnySameTextIgnoreCase(siblings, name); },
        std::string::npos);
}

void TranslateColumns(std::vector<std::string>& columnLabels,
                      const std::vector<std::string>& guards)
{
    std::vector<std::string> done;
    for (std::string& column : columnLabels) {
        column = ColumnLabel(column, done, guards);
        done.push_back(column);
    }
}

// A procedure's label clear of the other procedures' (their files share a
// folder) and of the tables' and views' classes, whose include guards a
// procedure's own must not be: "<label>ProcedureH" is "<class>H".
std::string FittingProcedureName(const std::string& identifier,
                                 const std::vector<std::string>& procedures,
                                 const std::vector<std::string>& classes)
{
    return FirstAcceptable(
        identifier,
        [](const std::string& name) {
            return IsValidClassName(name) && !IsRuntimeGuard(name) &&
                   name.size() <= MaxProcedureNameLength();
        },
        [&](const std::string& name) {
            return !platform::AnySameTextIgnoreCase(procedures, name) &&
                   std::find(classes.begin(), classes.end(), name + "Procedure") == classes.end() &&
                   std::find(classes.begin(), classes.end(), name + "ProcedureH") == classes.end();
        },
        MaxProcedureNameLength());
}

std::string ParameterLabelOf(const std::string& label, const std::vector<std::string>& siblings,
                             const std::vector<std::string>& guards)
{
    return FirstAcceptable(
        PinyinIdentifier(ParameterLabel(label), 'P'),
        [&](const std::string& name) {
            return IsValidProcedureParameterName(name) &&
                   std::find(guards.begin(), guards.end(), name) == guards.end();
        },
        [&](const std::string& name) { return !platform::AnySameTextIgnoreCase(siblings, name); },
        std::string::npos);
}

void TranslateParameters(std::vector<std::string>& labels, const std::vector<std::string>& guards)
{
    std::vector<std::string> done;
    for (std::string& label : labels) {
        label = ParameterLabelOf(label, done, guards);
        done.push_back(label);
    }
}

}  // namespace

void TranslateProcedureLabels(std::string& label, std::vector<std::string>& parameterLabels,
                              const std::vector<std::string>& otherProcedures,
                              const std::vector<std::string>& classes, const std::string& schema)
{
    std::string identifier = ClassIdentifier(label);
    if (platform::AnySameTextIgnoreCase(otherProcedures, identifier))
        identifier = WithSchema(identifier, schema);
    label = FittingProcedureName(identifier, otherProcedures, classes);
    std::vector<std::string> guards = GuardsOf(classes);
    for (const std::string& p : otherProcedures)
        guards.push_back(p + "ProcedureH");
    guards.push_back(label + "ProcedureH");
    TranslateParameters(parameterLabels, guards);
}

std::string TranslatedParameterLabel(const std::string& label,
                                     const std::vector<std::string>& siblings)
{
    return ParameterLabelOf(label, siblings, GuardsOf({}));
}

std::string TranslatedColumnLabel(const std::string& label,
                                  const std::vector<std::string>& siblings)
{
    return ColumnLabel(label, siblings, GuardsOf({}));
}

void TranslateObjectLabels(std::string& label, std::vector<std::string>& columnLabels,
                           const std::vector<std::string>& otherLabels, const std::string& schema)
{
    std::string identifier = ClassIdentifier(label);
    if (platform::AnySameTextIgnoreCase(otherLabels, identifier))
        identifier = WithSchema(identifier, schema);
    label = FittingClassName(identifier, otherLabels);
    std::vector<std::string> classes = otherLabels;
    classes.push_back(label);
    TranslateColumns(columnLabels, GuardsOf(classes));
}

void TranslateLabels(DatabaseSchema& schema)
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
    for (std::size_t i = 0; i < objects.size(); ++i) {
        std::vector<std::string> others = identifiers;
        others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
        if (platform::AnySameTextIgnoreCase(others, identifiers[i]))
            objects[i]->Label = WithSchema(identifiers[i], objects[i]->Schema);
        else
            objects[i]->Label = identifiers[i];
    }
    std::vector<std::string> classes;
    for (SchemaObject* o : objects) {
        o->Label = FittingClassName(o->Label, classes);
        classes.push_back(o->Label);
    }
    // The procedures' classes, apart from one another and from the guards
    // of the tables and views.
    std::vector<std::string> identifiersOfProcedures;
    for (const SchemaObject& p : schema.Procedures)
        identifiersOfProcedures.push_back(ClassIdentifier(p.Label));
    std::vector<std::string> procedures;
    for (std::size_t i = 0; i < schema.Procedures.size(); ++i) {
        std::vector<std::string> others = identifiersOfProcedures;
        others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
        std::string identifier = identifiersOfProcedures[i];
        if (platform::AnySameTextIgnoreCase(others, identifier))
            identifier = WithSchema(identifier, schema.Procedures[i].Schema);
        schema.Procedures[i].Label = FittingProcedureName(identifier, procedures, classes);
        procedures.push_back(schema.Procedures[i].Label);
    }
    // Columns last: no parameter may be the include guard of any class.
    std::vector<std::string> guards = GuardsOf(classes);
    for (const std::string& p : procedures)
        guards.push_back(p + "ProcedureH");
    for (SchemaObject& p : schema.Procedures) {
        NameList parameters = p.ColumnLabels();
        TranslateParameters(parameters, guards);
        for (std::size_t i = 0; i < parameters.size(); ++i)
            p.Columns[i].Label = parameters[i];
    }
    for (SchemaObject* o : objects) {
        NameList columns = o->ColumnLabels();
        TranslateColumns(columns, guards);
        for (std::size_t i = 0; i < columns.size(); ++i)
            o->Columns[i].Label = columns[i];
    }
}
