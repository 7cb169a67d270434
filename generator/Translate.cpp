#include "Translate.h"

#include "PinyinTable.h"
#include "platform/Text.h"

#include <algorithm>

std::string PinyinOf(unsigned char lead, unsigned char trail)
{
    unsigned short code = static_cast<unsigned short>(lead << 8 | trail);
    const PinyinEntry* end = kPinyinTable + kPinyinTableSize;
    const PinyinEntry* it = std::lower_bound(
        kPinyinTable, end, code, [](const PinyinEntry& e, unsigned short c) { return e.Code < c; });
    if (it == end || it->Code != code)
        return std::string();
    return kPinyinSyllables[it->Syllable];
}

std::string PinyinIdentifier(const std::string& name, char prefix)
{
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = platform::CharLength(name, i);
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (len == 2) {
            std::string reading = PinyinOf(c, static_cast<unsigned char>(name[i + 1]));
            out += reading.empty() ? "_" : reading;
        } else if ((c >= '0' && c <= '9') || c == '_' || platform::IsCharAlphaA(name[i])) {
            out += name[i];
        } else {
            out += '_';
        }
        i += len;
    }
    if (out.empty() || !platform::IsCharAlphaA(out[0]))
        out.insert(out.begin(), prefix);
    return out;
}

std::string UniqueName(const std::string& name, const std::vector<std::string>& taken)
{
    auto isTaken = [&](const std::string& candidate) {
        for (const std::string& t : taken)
            if (platform::SameTextIgnoreCase(t, candidate))
                return true;
        return false;
    };
    if (!isTaken(name))
        return name;
    for (int n = 2;; ++n) {
        std::string candidate = name + std::to_string(n);
        if (!isTaken(candidate))
            return candidate;
    }
}

std::string TranslatedColumnLabel(const std::string& label, const std::vector<std::string>& siblings)
{
    return UniqueName(PinyinIdentifier(label, 'F'), siblings);
}

void TranslateObjectLabels(std::string& label, std::vector<std::string>& columnLabels,
                           const std::vector<std::string>& otherLabels)
{
    label = UniqueName(PinyinIdentifier(label, 'T'), otherLabels);
    std::vector<std::string> done;
    for (std::string& column : columnLabels) {
        column = TranslatedColumnLabel(column, done);
        done.push_back(column);
    }
}

void TranslateLabels(DatabaseSchema& schema)
{
    std::vector<std::string> classes;
    for (SchemaObjects* tree : {&schema.Tables, &schema.Views})
        for (SchemaObject& o : *tree) {
            NameList columns = o.ColumnLabels();
            TranslateObjectLabels(o.Label, columns, classes);
            for (std::size_t i = 0; i < columns.size(); ++i)
                o.Columns[i].Label = columns[i];
            classes.push_back(o.Label);
        }
}
