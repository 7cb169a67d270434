#include "Snapshot.h"

#include "platform/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <unordered_set>

// A snapshot is written with its keys in a fixed order, and read into
// objects that find a key by a tree, so that an object of many keys reads
// in time that grows with their number, not with its square.
using json = nlohmann::ordered_json;
using JsonIn = nlohmann::json;

namespace {

// A name may hold what the JSON parser and writer refuse, an unpaired
// surrogate (kept in its three WTF-8 bytes), though JSON's "\\uD800" says
// it. Inside, between the file's text and the parsed values, such a
// surrogate travels as a NUL and its four hex digits, and a true NUL as
// two: neither the parser nor the writer then sees it.
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

unsigned HexValue(const std::string& text, std::size_t at)
{
    return static_cast<unsigned>(std::stoul(text.substr(at, 4), nullptr, 16));
}

// A name as the parsed values carry it.
std::string Carried(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\0') {
            out.append(2, '\0');
        } else if (char16_t code = platform::UnpairedSurrogateAt(name, i)) {
            out += '\0';
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHexDigits[(code >> shift) & 0x0F];
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

// The name a carried value stands for.
std::string Uncarried(const std::string& value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\0') {
            out += value[i];
        } else if (i + 1 < value.size() && value[i + 1] == '\0') {
            out += '\0';
            ++i;
        } else if (i + 4 < value.size()) {
            out += platform::Utf16ToUtf8(
                std::u16string(1, static_cast<char16_t>(HexValue(value, i + 1))));
            i += 4;
        }
    }
    return out;
}

// The file's text with each unpaired surrogate escape, and each NUL
// escape, in the form the parsed values carry them.
std::string CarriedEscapes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    auto escapeAt = [&text](std::size_t i) {
        return i + 5 < text.size() && text[i] == '\\' && text[i + 1] == 'u' && IsHex(text[i + 2]) &&
               IsHex(text[i + 3]) && IsHex(text[i + 4]) && IsHex(text[i + 5]);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        if (!escapeAt(i)) {
            out.append(text, i, 2);
            ++i;
            continue;
        }
        unsigned code = HexValue(text, i + 2);
        bool high = code >= 0xD800 && code < 0xDC00;
        bool paired = high && escapeAt(i + 6) && HexValue(text, i + 8) >= 0xDC00 &&
                      HexValue(text, i + 8) < 0xE000;
        if (paired) {
            out.append(text, i, 12);
            i += 11;
        } else if (code == 0 || (code >= 0xD800 && code < 0xE000)) {
            out += "\\u0000";
            out += code == 0 ? std::string("\\u0000") : text.substr(i + 2, 4);
            i += 5;
        } else {
            out.append(text, i, 6);
            i += 5;
        }
    }
    return out;
}

// The written text with each carried surrogate, and each carried NUL,
// as the JSON escape that says it.
std::string UncarriedEscapes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        if (text.compare(i, 6, "\\u0000") != 0) {
            out.append(text, i, text[i + 1] == 'u' ? 6 : 2);
            i += text[i + 1] == 'u' ? 5 : 1;
            continue;
        }
        if (text.compare(i + 6, 6, "\\u0000") == 0) {
            out += "\\u0000";
            i += 11;
        } else {
            std::string hex = text.substr(i + 6, 4);
            for (char& c : hex)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            out += "\\u" + hex;
            i += 9;
        }
    }
    return out;
}

std::string Text(const JsonIn& value, const std::string& place)
{
    if (!value.is_string())
        throw SnapshotError(place + ": " + "应为文本");
    return Uncarried(value.get<std::string>());
}

const JsonIn& Member(const JsonIn& object, const char* key, const std::string& place)
{
    auto it = object.find(key);
    if (it == object.end())
        throw SnapshotError(place + ": " + "缺少" + " \"" + key + "\"");
    return *it;
}

const JsonIn& Array(const JsonIn& value, const std::string& place)
{
    if (!value.is_array())
        throw SnapshotError(place + ": " + "应为数组");
    return value;
}

// Whether a name is one of the object's columns, exactly as the catalogue
// gave it.
bool NamesColumn(const SchemaObject& object, const std::string& name)
{
    for (const SchemaColumn& c : object.Columns)
        if (c.Name == name)
            return true;
    return false;
}

// An object's name, label (its name when absent) and schema.
SchemaObject NamedIn(const JsonIn& o, const std::string& place)
{
    SchemaObject object;
    object.Name = Text(Member(o, "name", place), place + ".name");
    object.Label = o.contains("label") ? Text(o["label"], place + ".label") : object.Name;
    if (o.contains("schema"))
        object.Schema = Text(o["schema"], place + ".schema");
    return object;
}

// How many columns say whether they allow NULL, and the first that does
// not: a snapshot says it for every column or for none.
struct NullabilityGiven {
    std::size_t Given = 0;
    std::string FirstMissing;
};

// A list of column names of a foreign key, each one of `object`'s when
// given.
NameList ColumnNames(const JsonIn& value, const std::string& place, const SchemaObject* object)
{
    NameList names;
    const JsonIn& list = Array(value, place);
    if (list.empty())
        throw SnapshotError(place + ": " + "不能为空");
    for (std::size_t k = 0; k < list.size(); ++k) {
        std::string iplace = place + "[" + std::to_string(k) + "]";
        names.push_back(Text(list[k], iplace));
        if (object && !NamesColumn(*object, names.back()))
            throw SnapshotError(iplace + ": " + "不是这个表的字段");
    }
    return names;
}

// A table's foreign keys: each one's name, columns, and the table and
// columns it references.
std::vector<ForeignKey> ForeignKeysIn(const JsonIn& value, const std::string& place,
                                      const SchemaObject& table)
{
    std::vector<ForeignKey> keys;
    const JsonIn& list = Array(value, place);
    for (std::size_t k = 0; k < list.size(); ++k) {
        std::string fplace = place + "[" + std::to_string(k) + "]";
        const JsonIn& f = list[k];
        if (!f.is_object())
            throw SnapshotError(fplace + ": " + "应为对象");
        ForeignKey key;
        key.Name = Text(Member(f, "name", fplace), fplace + ".name");
        key.Columns = ColumnNames(Member(f, "columns", fplace), fplace + ".columns", &table);
        key.ReferencedSchema = f.contains("referencedSchema")
                                   ? Text(f["referencedSchema"], fplace + ".referencedSchema")
                                   : std::string("dbo");
        key.ReferencedTable =
            Text(Member(f, "referencedTable", fplace), fplace + ".referencedTable");
        key.ReferencedColumns = ColumnNames(Member(f, "referencedColumns", fplace),
                                            fplace + ".referencedColumns", nullptr);
        if (key.ReferencedColumns.size() != key.Columns.size())
            throw SnapshotError(fplace + ".referencedColumns: " + "个数应与 columns 相同");
        keys.push_back(key);
    }
    return keys;
}

SchemaObjects Objects(const JsonIn& root, const char* key, bool tables,
                      NullabilityGiven& nullability)
{
    SchemaObjects objects;
    const JsonIn& list = Array(Member(root, key, "$"), key);
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string place = std::string(key) + "[" + std::to_string(i) + "]";
        const JsonIn& o = list[i];
        if (!o.is_object())
            throw SnapshotError(place + ": " + "应为对象");
        SchemaObject object = NamedIn(o, place);
        const JsonIn& columns = Array(Member(o, "columns", place), place + ".columns");
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::string cplace = place + ".columns[" + std::to_string(c) + "]";
            if (!columns[c].is_object())
                throw SnapshotError(cplace + ": " + "应为对象");
            SchemaColumn column;
            column.Name = Text(Member(columns[c], "name", cplace), cplace + ".name");
            column.TypeName = Text(Member(columns[c], "type", cplace), cplace + ".type");
            if (columns[c].contains("base") && !columns[c]["base"].is_null())
                column.BaseType = Text(columns[c]["base"], cplace + ".base");
            column.Label = columns[c].contains("label")
                               ? Text(columns[c]["label"], cplace + ".label")
                               : column.Name;
            if (columns[c].contains("nullable")) {
                if (!columns[c]["nullable"].is_boolean())
                    throw SnapshotError(cplace + ".nullable: " + "应为 true 或 false");
                column.Nullable = columns[c]["nullable"].get<bool>();
                ++nullability.Given;
            } else if (nullability.FirstMissing.empty()) {
                nullability.FirstMissing = cplace;
            }
            object.Columns.push_back(column);
        }
        // The unwritable columns; older snapshots name only the identity ones.
        if (o.contains("unwritable") && o.contains("identity"))
            throw SnapshotError(place + ".identity: " + "与 \"unwritable\" 不能同时出现");
        for (const char* key : {"unwritable", "identity"}) {
            if (!o.contains(key))
                continue;
            std::string kplace = place + "." + key;
            if (!tables)
                throw SnapshotError(kplace + ": " + "视图没有标识列");
            const JsonIn& ids = Array(o[key], kplace);
            for (std::size_t k = 0; k < ids.size(); ++k) {
                std::string iplace = kplace + "[" + std::to_string(k) + "]";
                std::string name = Text(ids[k], iplace);
                if (!NamesColumn(object, name))
                    throw SnapshotError(iplace + ": " + "不是这个表的字段");
                object.Identity.push_back(name);
            }
            break;
        }
        // The primary key, in key order, and the IDENTITY column.
        if (o.contains("key")) {
            std::string kplace = place + ".key";
            if (!tables)
                throw SnapshotError(kplace + ": " + "视图没有主键");
            const JsonIn& key = Array(o["key"], kplace);
            for (std::size_t k = 0; k < key.size(); ++k) {
                std::string iplace = kplace + "[" + std::to_string(k) + "]";
                std::string name = Text(key[k], iplace);
                if (!NamesColumn(object, name))
                    throw SnapshotError(iplace + ": " + "不是这个表的字段");
                if (std::find(object.Key.begin(), object.Key.end(), name) != object.Key.end())
                    throw SnapshotError(iplace + ": " + "在主键中出现两次");
                object.Key.push_back(name);
            }
        }
        if (o.contains("identityColumn")) {
            std::string iplace = place + ".identityColumn";
            if (!tables)
                throw SnapshotError(iplace + ": " + "视图没有标识列");
            object.IdentityColumn = Text(o["identityColumn"], iplace);
            if (!NamesColumn(object, object.IdentityColumn))
                throw SnapshotError(iplace + ": " + "不是这个表的字段");
        }
        if (o.contains("foreignKeys")) {
            if (!tables)
                throw SnapshotError(place + ".foreignKeys: " + "视图没有外键");
            object.ForeignKeys = ForeignKeysIn(o["foreignKeys"], place + ".foreignKeys", object);
        }
        objects.push_back(object);
    }
    return objects;
}

// A whole number of a parameter, within the bounds the catalogue gives it.
int Number(const JsonIn& value, const std::string& place, int least, int most)
{
    if (!value.is_number_integer() || value.get<long long>() < least ||
        value.get<long long>() > most)
        throw SnapshotError(place + ": 应为 " + std::to_string(least) + " 到 " +
                            std::to_string(most) + " 的整数");
    return static_cast<int>(value.get<long long>());
}

// The stored procedures, each with its parameters in order.
SchemaObjects Procedures(const JsonIn& root)
{
    SchemaObjects procedures;
    const JsonIn& list = Array(root["procedures"], "procedures");
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string place = "procedures[" + std::to_string(i) + "]";
        const JsonIn& o = list[i];
        if (!o.is_object())
            throw SnapshotError(place + ": " + "应为对象");
        SchemaObject procedure = NamedIn(o, place);
        const JsonIn& parameters = Array(Member(o, "parameters", place), place + ".parameters");
        for (std::size_t c = 0; c < parameters.size(); ++c) {
            std::string cplace = place + ".parameters[" + std::to_string(c) + "]";
            const JsonIn& pj = parameters[c];
            if (!pj.is_object())
                throw SnapshotError(cplace + ": " + "应为对象");
            SchemaColumn parameter;
            parameter.Name = Text(Member(pj, "name", cplace), cplace + ".name");
            parameter.TypeName = Text(Member(pj, "type", cplace), cplace + ".type");
            if (pj.contains("base") && !pj["base"].is_null())
                parameter.BaseType = Text(pj["base"], cplace + ".base");
            parameter.Label = pj.contains("label") ? Text(pj["label"], cplace + ".label")
                                                   : ParameterLabel(parameter.Name);
            parameter.Shape.Length =
                Number(Member(pj, "length", cplace), cplace + ".length", -1, 0x7FFFFFFF);
            const JsonIn& output = Member(pj, "output", cplace);
            if (!output.is_boolean())
                throw SnapshotError(cplace + ".output: " + "应为 true 或 false");
            parameter.Shape.Output = output.get<bool>();
            parameter.Shape.Precision =
                Number(Member(pj, "precision", cplace), cplace + ".precision", 0, 255);
            parameter.Shape.Scale = Number(Member(pj, "scale", cplace), cplace + ".scale", 0, 255);
            procedure.Columns.push_back(parameter);
        }
        procedures.push_back(procedure);
    }
    return procedures;
}

json ProceduresJson(const SchemaObjects& procedures)
{
    json list = json::array();
    for (const SchemaObject& o : procedures) {
        json j;
        j["name"] = Carried(o.Name);
        if (!o.Schema.empty())
            j["schema"] = Carried(o.Schema);
        j["label"] = Carried(o.Label);
        json parameters = json::array();
        for (const SchemaColumn& c : o.Columns) {
            json parameter = {{"name", Carried(c.Name)},
                              {"label", Carried(c.Label)},
                              {"type", Carried(c.TypeName)},
                              {"length", c.Shape.Length}};
            parameter["base"] = c.BaseType.empty() ? json(nullptr) : json(Carried(c.BaseType));
            parameter["output"] = c.Shape.Output;
            parameter["precision"] = c.Shape.Precision;
            parameter["scale"] = c.Shape.Scale;
            parameters.push_back(parameter);
        }
        j["parameters"] = parameters;
        list.push_back(j);
    }
    return list;
}

json NamesJson(const NameList& names)
{
    json list = json::array();
    for (const std::string& name : names)
        list.push_back(Carried(name));
    return list;
}

json ObjectsJson(const SchemaObjects& objects, bool tables, bool nullability)
{
    json list = json::array();
    for (const SchemaObject& o : objects) {
        json j;
        j["name"] = Carried(o.Name);
        if (!o.Schema.empty())
            j["schema"] = Carried(o.Schema);
        j["label"] = Carried(o.Label);
        json columns = json::array();
        for (const SchemaColumn& c : o.Columns) {
            json column = {{"name", Carried(c.Name)}, {"type", Carried(c.TypeName)}};
            column["base"] = c.BaseType.empty() ? json(nullptr) : json(Carried(c.BaseType));
            column["label"] = Carried(c.Label);
            if (nullability)
                column["nullable"] = c.Nullable;
            columns.push_back(column);
        }
        j["columns"] = columns;
        if (tables) {
            json ids = json::array();
            for (const std::string& id : o.Identity)
                ids.push_back(Carried(id));
            j["unwritable"] = ids;
            if (!o.Key.empty()) {
                json key = json::array();
                for (const std::string& k : o.Key)
                    key.push_back(Carried(k));
                j["key"] = key;
            }
            if (!o.IdentityColumn.empty())
                j["identityColumn"] = Carried(o.IdentityColumn);
            if (!o.ForeignKeys.empty()) {
                json keys = json::array();
                for (const ForeignKey& f : o.ForeignKeys)
                    keys.push_back({{"name", Carried(f.Name)},
                                    {"columns", NamesJson(f.Columns)},
                                    {"referencedSchema", Carried(f.ReferencedSchema)},
                                    {"referencedTable", Carried(f.ReferencedTable)},
                                    {"referencedColumns", NamesJson(f.ReferencedColumns)}});
                j["foreignKeys"] = keys;
            }
        }
        list.push_back(j);
    }
    return list;
}

}  // namespace

namespace {

// The byte (from 1) where a number token with this text stands outside
// every string of the JSON text; 0 when none does.
std::size_t NumberAt(const std::string& text, const std::string& number)
{
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            continue;
        }
        bool starts = (c == '-' || (c >= '0' && c <= '9')) &&
                      (i == 0 || std::string(",:[ \t\r\n").find(text[i - 1]) != std::string::npos);
        if (starts && text.compare(i, number.size(), number) == 0)
            return i + 1;
    }
    return 0;
}

}  // namespace

DatabaseSchema ReadSnapshot(const std::string& utf8Json)
{
    JsonIn root;
    // A key twice in one object: JSON leaves its meaning open, so it is
    // refused, with its place, rather than one of the two kept silently.
    struct Frame {
        bool Object;
        std::string Key;
        std::size_t Index = 0;
        std::unordered_set<std::string> Keys;
    };
    // A snapshot is a few levels deep; a file nested past this is not one,
    // and is refused before it is built.
    const std::size_t kMaxDepth = 64;
    std::vector<Frame> frames;
    std::string twice;
    auto place = [&frames]() {
        std::string path;
        for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
            if (frames[i].Object)
                path.append(path.empty() ? "" : ".").append(frames[i].Key);
            else
                path.append("[").append(std::to_string(frames[i].Index)).append("]");
        }
        return path.empty() ? std::string("$") : path;
    };
    auto noTwins = [&](int, JsonIn::parse_event_t event, JsonIn& parsed) {
        using E = JsonIn::parse_event_t;
        if (event == E::object_start || event == E::array_start) {
            if (frames.size() >= kMaxDepth)
                throw SnapshotError(place() + ": 嵌套超过 " + std::to_string(kMaxDepth) +
                                    " 层，不是 Pellam 的快照");
            frames.push_back({event == E::object_start, {}, 0, {}});
        } else if (event == E::key && !frames.empty()) {
            std::string key = parsed.get<std::string>();
            Frame& top = frames.back();
            if (!top.Keys.insert(key).second && twice.empty())
                twice = place() + ": \"" + key + "\" " + "在同一对象中出现两次";
            top.Key = key;
        } else if (event == E::object_end || event == E::array_end || event == E::value) {
            if (event != E::value && !frames.empty())
                frames.pop_back();
            if (!frames.empty() && !frames.back().Object)
                ++frames.back().Index;
        }
        return true;
    };
    try {
        root = JsonIn::parse(CarriedEscapes(utf8Json), noTwins);
    } catch (const nlohmann::json::parse_error& e) {
        throw SnapshotError("第 " + std::to_string(e.byte) + " 字节处不是正确的 JSON");
    } catch (const nlohmann::json::exception& e) {
        // A number out of range: the parser names the number, not its place.
        std::string what = e.what();
        std::size_t open = what.find('\''), close = what.rfind('\'');
        std::size_t at = 0;
        if (open != std::string::npos && close > open)
            at = NumberAt(utf8Json, what.substr(open + 1, close - open - 1));
        throw SnapshotError("第 " + (at == 0 ? std::string("?") : std::to_string(at)) +
                            " 字节处的数超出范围");
    }
    if (!twice.empty())
        throw SnapshotError(twice);
    if (!root.is_object())
        throw SnapshotError(std::string("$: ") + "应为对象");
    DatabaseSchema snapshot;
    if (root.contains("database"))
        snapshot.Database = Text(root["database"], "database");
    NullabilityGiven nullability;
    snapshot.Tables = Objects(root, "tables", true, nullability);
    snapshot.Views = Objects(root, "views", false, nullability);
    // Every column says whether it allows NULL, or none does (an older
    // snapshot).
    if (nullability.Given > 0 && !nullability.FirstMissing.empty())
        throw SnapshotError(nullability.FirstMissing + ": " + "缺少 \"nullable\"" +
                            "（快照中别的字段有）");
    snapshot.NullabilityRead = nullability.FirstMissing.empty();
    for (const char* flag : {"keys", "relations"}) {
        if (!root.contains(flag))
            continue;
        if (!root[flag].is_boolean())
            throw SnapshotError(std::string(flag) + ": " + "应为 true 或 false");
        (std::string(flag) == "keys" ? snapshot.KeysRead : snapshot.RelationsRead) =
            root[flag].get<bool>();
    }
    if (!snapshot.RelationsRead)
        for (const SchemaObject& t : snapshot.Tables)
            if (!t.ForeignKeys.empty())
                throw SnapshotError(std::string("relations: ") +
                                    "数据表有 \"foreignKeys\" 时应为 true");
    // Taken without procedures (or by an earlier Pellam): none read.
    if (root.contains("procedures")) {
        snapshot.Procedures = Procedures(root);
        snapshot.ProceduresRead = true;
    }
    return snapshot;
}

std::string WriteSnapshot(const DatabaseSchema& snapshot)
{
    json root;
    root["database"] = Carried(snapshot.Database);
    // Whether the tables' keys were read: a table without "key" then has
    // no primary key.
    if (snapshot.KeysRead)
        root["keys"] = true;
    // Whether the tables' foreign keys were read: a table without
    // "foreignKeys" then has none.
    if (snapshot.RelationsRead)
        root["relations"] = true;
    root["tables"] = ObjectsJson(snapshot.Tables, true, snapshot.NullabilityRead);
    root["views"] = ObjectsJson(snapshot.Views, false, snapshot.NullabilityRead);
    if (snapshot.ProceduresRead)
        root["procedures"] = ProceduresJson(snapshot.Procedures);
    return UncarriedEscapes(root.dump(2)) + "\n";
}
