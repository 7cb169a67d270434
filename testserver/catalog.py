"""The system catalogue of the stand-in: fixture data and the statements
evaluated against it as SQL Server would."""

import json

from tds import NVARCHAR, SMALLINT, NUMERIC

# SQL Server's own systypes rows: name and xusertype.
SYSTYPES = [
    ("image", 34), ("text", 35), ("uniqueidentifier", 36), ("date", 40), ("time", 41),
    ("datetime2", 42), ("datetimeoffset", 43), ("tinyint", 48), ("smallint", 52), ("int", 56),
    ("smalldatetime", 58), ("real", 59), ("money", 60), ("datetime", 61), ("float", 62),
    ("sql_variant", 98), ("ntext", 99), ("bit", 104), ("decimal", 106), ("numeric", 108),
    ("smallmoney", 122), ("bigint", 127), ("hierarchyid", 128), ("geometry", 129),
    ("geography", 130), ("varbinary", 165), ("varchar", 167), ("binary", 173), ("char", 175),
    ("timestamp", 189), ("nvarchar", 231), ("nchar", 239), ("xml", 241), ("sysname", 256),
]


class SqlError(Exception):
    """Server errors, each (number, text), sent as ERROR tokens in order."""

    def __init__(self, number, text, *more):
        super().__init__(text)
        self.messages = [(number, text)] + list(more)


def same_name(a, b):
    """Comparison under a case-insensitive collation: case and trailing blanks ignored."""
    return a.rstrip(" ").casefold() == b.rstrip(" ").casefold()


def collation_key(name):
    """ORDER BY under a case-insensitive Windows collation: punctuation before
    digits before letters, letters without regard to case."""
    key = []
    for ch in name:
        if ch.isascii() and ch.isalpha():
            key.append((2, ch.casefold()))
        elif ch.isdigit() and ch.isascii():
            key.append((1, ch))
        elif ch.isascii():
            key.append((0, ch))
        else:
            key.append((3, ch))
    return key


class Column:
    def __init__(self, entry, types):
        self.name = entry["name"]
        if "xusertype" in entry:
            self.xusertype = entry["xusertype"]
        else:
            matches = [x for n, x in types if n == entry["type"]]
            if not matches:
                raise ValueError("unknown type in fixture: %s" % entry["type"])
            self.xusertype = matches[0]
        self.length = entry.get("length", 4)
        ident = entry.get("identity")
        self.identity = None
        if ident:
            ident = ident if isinstance(ident, dict) else {}
            self.identity = (ident.get("seed", 1), ident.get("incr", 1), ident.get("current", 1))


class Object:
    def __init__(self, entry, object_id, types):
        self.id = object_id
        self.owner = entry.get("owner", "dbo")
        self.name = entry["name"]
        self.xtype = entry.get("xtype", "U")
        self.status = entry.get("status", 1)
        self.columns = [Column(c, types) for c in entry.get("columns", [])]


class Database:
    def __init__(self, entry, types):
        self.name = entry["name"]
        self.types = types + [(t["name"], t["xusertype"]) for t in entry.get("types", [])]
        self.objects = [Object(o, 1000 + i, self.types) for i, o in enumerate(entry.get("objects", []))]


class Catalog:
    def __init__(self, fixture):
        types = list(SYSTYPES)
        self.databases = [Database(d, types) for d in fixture["databases"]]
        if not any(same_name(d.name, "master") for d in self.databases):
            self.databases.insert(0, Database({"name": "master"}, types))
        self.logins = fixture.get("logins", {"sa": "Pellam#2026"})
        self.windows_logins = fixture.get("windows_logins", True)

    @staticmethod
    def load(path):
        with open(path, encoding="utf-8") as f:
            return Catalog(json.load(f))

    def database(self, name):
        for d in self.databases:
            if same_name(d.name, name):
                return d
        return None


# The five catalogue statements, each split at its one fill (if any).
DATABASES = "SELECT Name FROM [Master]..[SysDatabases] ORDER BY Name"
TABLES = ("SELECT [Name] FROM [", "]..[SysObjects] WHERE [xtype]='U' AND [status]>0 ORDER BY Name")
VIEWS = ("SELECT [Name] FROM [", "]..[SysObjects] WHERE [xtype]='V' AND [status]>0  ORDER BY Name")
COLUMNS = ("SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length] FROM [syscolumns] "
           "LEFT JOIN  [systypes] ON [syscolumns].[xusertype]=[systypes].[xusertype]  "
           "WHERE [id]=(SELECT [id] FROM [sysobjects] WHERE [name]='", "')")
IDENTITY = ("Select so.name Table_name,sc.name Iden_Column_name,  ident_current(so.name) curr_value,  "
            "ident_incr(so.name) incr_value,  ident_seed(so.name) seed_value  from sysobjects so  "
            "Inner Join syscolumns sc  on so.id = sc.id  and columnproperty(sc.id, sc.name,  "
            "'IsIdentity') = 1  Where upper(so.name) = upper('", "')")

# Statements the ODBC driver itself may send on connecting; they change nothing here.
HARMLESS_PREFIXES = ("SET TEXTSIZE", "SET QUOTED_IDENTIFIER", "SET ANSI_", "SET IMPLICIT_TRANSACTIONS",
                     "SET CONCAT_NULL", "SET ARITHABORT")


def next_token(text):
    """The token SQL Server would name in 'Incorrect syntax near ...'."""
    text = text.lstrip()
    if not text:
        return None
    if text[0].isalnum() or text[0] in "_@#$":
        end = 1
        while end < len(text) and (text[end].isalnum() or text[end] in "_@#$"):
            end += 1
        return text[:end]
    return text[0]


def read_quoted(text, start, close):
    """Reads a literal whose opening quote stood just before `start`, with the
    closing character doubled inside: (value, index after the close) or
    (value read, None) when it never closes."""
    value, i = [], start
    while i < len(text):
        if text[i] == close:
            if i + 1 < len(text) and text[i + 1] == close:
                value.append(close)
                i += 2
                continue
            return "".join(value), i + 1
        value.append(text[i])
        i += 1
    return "".join(value), None


def match_fill(statement, shape, close):
    """Matches a statement against (prefix, suffix) around one quoted fill.
    Returns ("exact", fill), ("broken", SqlError) when the fill broke the
    quoting as SQL Server would report it, or None when the statement is not
    of this shape."""
    prefix, suffix = shape
    if not statement.startswith(prefix):
        return None
    value, end = read_quoted(statement, len(prefix), close)
    if end is None:
        return "broken", SqlError(105, "Unclosed quotation mark after the character string '%s'."
                                  % value)
    rest = statement[end:]
    if rest == suffix[1:]:
        return "exact", value
    # Something follows the literal where the statement should go on: the
    # fill broke the quoting. An odd number of quotes after it leaves a
    # string open at the end as well.
    errors = [(102, "Incorrect syntax near '%s'." % (next_token(rest) or rest))]
    if rest.count("'") % 2 == 1:
        errors.append((105, "Unclosed quotation mark after the character string '%s'."
                       % rest[rest.rfind("'") + 1:]))
    return "broken", SqlError(*errors[0], *errors[1:])


def match_any(statement, shapes):
    """The first shape that the statement matches exactly, as (tag, fill);
    else raises the error of a shape whose fill broke the quoting (one whose
    ending the statement keeps, when there is one); else None."""
    broken = []
    for tag, shape, close in shapes:
        result = match_fill(statement, shape, close)
        if result is None:
            continue
        if result[0] == "exact":
            return tag, result[1]
        broken.append((statement.endswith(shape[1][1:]), result[1]))
    if broken:
        broken.sort(key=lambda b: not b[0])
        raise broken[0][1]
    return None


SEPARATORS = " \t\r\n;"
SHAPES = [("U", TABLES, "]"), ("V", VIEWS, "]"), ("columns", COLUMNS, "'"),
          ("identity", IDENTITY, "'")]


def known_at(text, start):
    """The end of the catalogue statement that begins at `start`, when one
    does and is followed by a separator or the end; else None."""
    def ends_there(end):
        return end == len(text) or text[end] in SEPARATORS
    if text.startswith(DATABASES, start) and ends_there(start + len(DATABASES)):
        return start + len(DATABASES)
    for _, (prefix, suffix), close in SHAPES:
        if not text.startswith(prefix, start):
            continue
        _, end = read_quoted(text, start + len(prefix), close)
        if end is not None and text.startswith(suffix[1:], end) and ends_there(end + len(suffix) - 1):
            return end + len(suffix) - 1
    return None


def split_batch(text):
    """The statements of a batch of catalogue statements separated by blanks,
    line breaks or ";". A batch of one statement is that statement as sent.
    Raises SqlError 102 when a batch of several holds anything else: SQL
    Server compiles a whole batch first and then runs none of it."""
    statements, i = [], 0
    while True:
        while i < len(text) and text[i] in SEPARATORS:
            i += 1
        if i == len(text):
            break
        end = known_at(text, i)
        if end is None:
            if not statements:
                return [text]
            raise SqlError(102, "Incorrect syntax near '%s'." % (next_token(text[i:]) or text[i:]))
        statements.append(text[i:end])
        i = end
    return statements if len(statements) > 1 else [text]


class Session:
    """One connection's state: the catalogue it reads and its current database."""

    def __init__(self, catalog, database):
        self.catalog = catalog
        self.current = database

    def execute(self, statement):
        """Returns (columns, rows) for a result, None for a statement without
        one, or raises SqlError."""
        if statement == DATABASES:
            names = sorted((d.name for d in self.catalog.databases), key=collation_key)
            return [("Name", NVARCHAR)], [[n] for n in names]

        matched = match_any(statement, SHAPES)
        if matched is not None:
            tag, fill = matched
            if tag in ("U", "V"):
                return self.object_list(fill, tag)
            if tag == "columns":
                return self.column_list(fill)
            return self.identity_list(fill)

        if statement.upper().startswith(HARMLESS_PREFIXES):
            return None

        raise SqlError(50000, "The stand-in server cannot evaluate this statement: %s" % statement)

    def object_list(self, database_name, xtype):
        db = self.catalog.database(database_name)
        if db is None:
            raise SqlError(911, "Database '%s' does not exist. Make sure that the name is entered "
                           "correctly." % database_name)
        names = [o.name for o in db.objects if o.xtype == xtype and o.status > 0]
        names.sort(key=collation_key)
        return [("Name", NVARCHAR)], [[n] for n in names]

    def column_list(self, name):
        columns = [("name", NVARCHAR), ("name", NVARCHAR), ("length", SMALLINT)]
        matches = [o for o in self.current.objects if same_name(o.name, name)]
        if len(matches) > 1:
            raise SqlError(512, "Subquery returned more than 1 value. This is not permitted when the "
                           "subquery follows =, !=, <, <= , >, >= or when the subquery is used as "
                           "an expression.")
        if not matches:
            return columns, []
        types = dict((x, n) for n, x in reversed(self.current.types))
        return columns, [[c.name, types.get(c.xusertype), c.length] for c in matches[0].columns]

    def identity_list(self, name):
        columns = [("Table_name", NVARCHAR), ("Iden_Column_name", NVARCHAR),
                   ("curr_value", NUMERIC), ("incr_value", NUMERIC), ("seed_value", NUMERIC)]
        rows = []
        for o in self.current.objects:
            if o.name.upper().rstrip(" ") != name.upper().rstrip(" "):
                continue
            for c in o.columns:
                if c.identity:
                    seed, incr, current = c.identity
                    rows.append([o.name, c.name, current, incr, seed])
        return columns, rows
