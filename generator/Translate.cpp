#include "Translate.h"

#include "PinyinTable.h"
#include "TypeRules.h"
#include "platform/Text.h"

#include <algorithm>

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

std::string PinyinIdentifier(const std::string& name, char prefix)
{
    std::string out;
    bool capital = false;  // the next letter follows a dropped character
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = platform::CharLength(name, i);
        unsigned char c = static_cast<unsigned char>(name[i]);
        std::string reading =
            len == 2 ? PinyinOf(c, static_cast<unsigned char>(name[i + 1])) : std::string();
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

std::string ClassIdentifier(const std::string& label)
{
    return AcceptedName(PinyinIdentifier(label, 'T'), IsValidClassName);
}

// The class name of an object whose label another has: its schema in front
// outside dbo.
std::string WithSchema(const std::string& identifier, const std::string& schema)
{
    if (IsDboSchema(schema))
        return identifier;
    return AcceptedName(PinyinIdentifier(schema, 'T') + identifier, IsValidClassName);
}

void TranslateColumns(std::vector<std::string>& columnLabels)
{
    std::vector<std::string> done;
    for (std::string& column : columnLabels) {
        column = TranslatedColumnLabel(column, done);
        done.push_back(column);
    }
}

}  // namespace

std::string TranslatedColumnLabel(const std::string& label,
                                  const std::vector<std::string>& siblings)
{
    // A number keeps a twin apart; the result must still pass the rule.
    std::string name = AcceptedName(PinyinIdentifier(label, 'F'), IsValidParameterName);
    return AcceptedName(UniqueName(name, siblings), IsValidParameterName);
}

void TranslateObjectLabels(std::string& label, std::vector<std::string>& columnLabels,
                           const std::vector<std::string>& otherLabels, const std::string& schema)
{
    std::string identifier = ClassIdentifier(label);
    if (platform::AnySameTextIgnoreCase(otherLabels, identifier))
        identifier = WithSchema(identifier, schema);
    label = AcceptedName(UniqueName(identifier, otherLabels), IsValidClassName);
    TranslateColumns(columnLabels);
}

void TranslateLabels(DatabaseSchema& schema)
{
    std::vector<SchemaObject*> objects;
    for (SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (SchemaObject& o : *tree)
            objects.push_back(&o);
    // First every object's own identifier; then twins outside dbo take
    // their schema; then those still equal take numbers, in order.
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
        o->Label = AcceptedName(UniqueName(o->Label, classes), IsValidClassName);
        classes.push_back(o->Label);
        NameList columns = o->ColumnLabels();
        TranslateColumns(columns);
        for (std::size_t i = 0; i < columns.size(); ++i)
            o->Columns[i].Label = columns[i];
    }
}
