#include "platform/DbClient.h"

// OLE DB connection strings, and what the ODBC driver is given for them.

#include "platform/Text.h"

namespace platform {

namespace {

[[noreturn]] void Malformed()
{
    throw EOleException("Format of the initialization string is not valid.");
}

#ifdef _WIN32
const char* const kSqlServerDriver = "SQL Server";
#else
const char* const kSqlServerDriver = "FreeTDS";
#endif

}  // namespace

std::map<std::string, std::string> ParseOleDbConnectionString(const std::string& text)
{
    std::map<std::string, std::string> out;
    std::size_t i = 0, n = text.size();
    while (i < n) {
        // Key, up to '='; "==" stands for a '=' inside the key.
        std::string key;
        while (i < n && text[i] != ';') {
            if (text[i] == '=') {
                if (i + 1 < n && text[i + 1] == '=') {
                    key += '=';
                    i += 2;
                    continue;
                }
                break;
            }
            key += text[i++];
        }
        key = Trim(key);
        if (i >= n || text[i] == ';') {
            if (!key.empty())
                Malformed();
            ++i;
            continue;
        }
        ++i;  // '='
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'')) {
            char quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += text[i++];
            }
            while (i < n && (text[i] == ' ' || text[i] == '\t'))
                ++i;
            if (!closed || (i < n && text[i] != ';'))
                Malformed();
        } else {
            while (i < n && text[i] != ';')
                value += text[i++];
            value = Trim(value);
        }
        if (i < n)
            ++i;  // ';'
        if (key.empty())
            Malformed();
        out[AsciiLower(key)] = value;
    }
    return out;
}

std::string QuoteOleDbValue(const std::string& value)
{
    // Quoted whenever the grammar would read the bare text otherwise: a ';'
    // or a quote ends or opens it, outer white space is trimmed, and a
    // leading '=' joins the key ("==" stands for '=' in a key).
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    bool needs =
        value.find_first_of(";'\"") != std::string::npos ||
        (!value.empty() && (blank(value.front()) || blank(value.back()) || value[0] == '='));
    if (!needs)
        return value;
    std::string out = "\"";
    for (char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string OdbcValue(const std::string& value)
{
    bool needs = value.find_first_of(";{}") != std::string::npos ||
                 (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needs)
        return value;
    std::string out = "{";
    for (char c : value) {
        if (c == '}')
            out += '}';
        out += c;
    }
    return out + "}";
}

OdbcLogin TranslateConnectionString(const std::string& oleDb)
{
    std::map<std::string, std::string> keys = ParseOleDbConnectionString(oleDb);
    auto get = [&](const char* key) -> const std::string* {
        auto it = keys.find(key);
        return it == keys.end() ? nullptr : &it->second;
    };

    const std::string* provider = get("provider");
    if (!provider || (AsciiLower(*provider) != "sqloledb.1" && AsciiLower(*provider) != "sqloledb"))
        throw EOleException("Provider cannot be found. It may not be properly installed.");

    OdbcLogin login;
    auto& a = login.Attributes;
    a.emplace_back("Driver", kSqlServerDriver);

    // "." and "(local)" are the local default instance; "host,port" names a
    // port; "host\instance" is left to the driver, which asks the server's
    // browser for the instance's port.
    std::string source = get("data source") ? *get("data source") : std::string();
    std::string host = source, port = "1433", instance;
    std::size_t comma = source.find(',');
    std::size_t slash = source.find('\\');
    if (comma != std::string::npos) {
        host = Trim(source.substr(0, comma));
        port = Trim(source.substr(comma + 1));
    } else if (slash != std::string::npos) {
        host = source.substr(0, slash);
        instance = source.substr(slash);
        port.clear();
    }
    if (host.empty() || host == "." || AsciiLower(host) == "(local)")
        host = "127.0.0.1";
    a.emplace_back("Server", host + instance);
    if (!port.empty())
        a.emplace_back("Port", port);

    const std::string* integrated = get("integrated security");
    if (integrated && (AsciiLower(*integrated) == "sspi" || AsciiLower(*integrated) == "true" ||
                       AsciiLower(*integrated) == "yes")) {
        a.emplace_back("Trusted_Connection", "Yes");
    } else {
        if (const std::string* user = get("user id"))
            login.User = *user;
        if (const std::string* password = get("password"))
            login.Password = *password;
    }
    if (const std::string* catalog = get("initial catalog"))
        a.emplace_back("Database", *catalog);
    // Text goes both ways in UTF-16; what the driver hands over as 8-bit
    // text is UTF-8.
    a.emplace_back("ClientCharset", "UTF-8");
    a.emplace_back("TDS_Version", "7.4");
    if (const std::string* timeout = get("connect timeout"))
        login.LoginTimeout = std::atoi(timeout->c_str());
    return login;
}

std::string ChooseSqlServerDriver(const std::vector<std::string>& installed)
{
    // The version a name carries, for the two numbered families.
    auto numbered = [](const std::string& name, const std::string& before,
                       const std::string& after) {
        if (name.rfind(before, 0) != 0 || name.size() < before.size() + after.size() ||
            name.compare(name.size() - after.size(), after.size(), after) != 0)
            return -1;
        std::string digits = name.substr(before.size(), name.size() - before.size() - after.size());
        if (digits.empty() || digits.find_first_not_of("0123456789.") != std::string::npos)
            return -1;
        return std::atoi(digits.c_str());
    };
    std::string best;
    int bestRank = -1;
    for (const std::string& name : installed) {
        int rank = -1;
        if (int v = numbered(name, "ODBC Driver ", " for SQL Server"); v >= 0)
            rank = 3000 + v;
        else if (int n = numbered(name, "SQL Server Native Client ", ""); n >= 0)
            rank = 2000 + n;
        else if (name == "SQL Server")
            rank = 1000;
        else if (AsciiLower(name) == "freetds")
            rank = 0;
        if (rank > bestRank) {
            bestRank = rank;
            best = name;
        }
    }
    return bestRank < 0 ? std::string("SQL Server") : best;
}

void UseDriver(OdbcLogin& login, const std::string& driver)
{
    for (auto& [key, value] : login.Attributes)
        if (key == "Driver")
            value = driver;
    // Version 18 encrypts and checks the server's certificate unless told
    // otherwise; the OLE DB provider that the strings are written for does
    // neither, so a server it reaches stays reachable.
    if (driver.rfind("ODBC Driver 18", 0) == 0)
        login.Attributes.emplace_back("Encrypt", "Optional");
}

std::string OdbcConnectionString(const OdbcLogin& login)
{
    std::string out;
    for (const auto& [key, value] : login.Attributes)
        out += (out.empty() ? "" : ";") + key + "=" + OdbcValue(value);
    if (!login.User.empty())
        out += ";UID=" + OdbcValue(login.User);
    if (!login.Password.empty())
        out += ";PWD=" + OdbcValue(login.Password);
    return out;
}

}  // namespace platform
