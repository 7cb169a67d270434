"""The system catalogue of the stand-in: fixture data and the statements
evaluated against it as SQL Server would.

The server answers as SQL Server 2022 by default, where sysobjects is a
compatibility view whose status is 0 for every object and objects belong
to schemas; as SQL Server 2000 with version 2000, where status marks user
objects, owners are users and SCHEMA_NAME does not exist. A case-sensitive
server matches every name exactly, as a _CS_ or _BIN collation does."""

import json
import re

import relations
from tds import NVARCHAR, SMALLINT, NUMERIC, INT, TINYINT

# SQL Server's own systypes rows: name, xusertype and xtype (the system type
# a column of that type is stored as; 240 for the CLR types, which no
# systypes row has as its xusertype).
SYSTYPES = [
    ("image", 34, 34), ("text", 35, 35), ("uniqueidentifier", 36, 36), ("date", 40, 40),
    ("time", 41, 41), ("datetime2", 42, 42), ("datetimeoffset", 43, 43), ("tinyint", 48, 48),
    ("smallint", 52, 52), ("int", 56, 56), ("smalldatetime", 58, 58), ("real", 59, 59),
    ("money", 60, 60), ("datetime", 61, 61), ("float", 62, 62), ("sql_variant", 98, 98),
    ("ntext", 99, 99), ("bit", 104, 104), ("decimal", 106, 106), ("numeric", 108, 108),
    ("smallmoney", 122, 122), ("bigint", 127, 127), ("hierarchyid", 128, 240),
    ("geometry", 129, 240), ("geography", 130, 240), ("varbinary", 165, 165),
    ("varchar", 167, 167), ("binary", 173, 173), ("char", 175, 175), ("timestamp", 189, 189),
    ("nvarchar", 231, 231), ("nchar", 239, 239), ("xml", 241, 241), ("sysname", 256, 231),
]
TIMESTAMP_XTYPE = 189
# xprec and xscale as syscolumns gives them for a type of fixed precision,
# by xtype; decimal and numeric take the fixture's, others 0.
TYPE_PRECISION = {
    48: (3, 0), 52: (5, 0), 56: (10, 0), 127: (19, 0), 104: (1, 0), 59: (24, 0), 62: (53, 0),
    60: (19, 4), 122: (10, 4), 61: (23, 3), 58: (16, 0), 40: (10, 0), 41: (16, 7),
    42: (27, 7), 43: (34, 7), 106: (18, 0), 108: (18, 0),
}

# System objects and columns as the catalogue spells them; under a
# case-sensitive collation no other spelling finds them.
SYSTEM_OBJECTS = ("sysdatabases", "sysobjects", "syscolumns", "systypes") + relations.SYSTEM_OBJECTS
SYSTEM_COLUMNS = ("name", "xtype", "status", "id", "uid", "length", "xusertype", "colid",
                  "isoutparam", "xprec", "xscale") + relations.SYSTEM_COLUMNS


class SqlError(Exception):
    """Server errors, each (number, text), sent as ERROR tokens in order."""

    def __init__(self, number, text, *more):
        super().__init__(text)
        self.messages = [(number, text)] + list(more)


def same_name_ci(a, b):
    """Comparison under a case-insensitive collation: case and trailing blanks ignored."""
    return a.rstrip(" ").casefold() == b.rstrip(" ").casefold()


def same_name_cs(a, b):
    """Comparison under a case-sensitive collation: trailing blanks ignored."""
    return a.rstrip(" ") == b.rstrip(" ")


# The comparison of the default, case-insensitive server.
same_name = same_name_ci


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


def sort_key(name, case_sensitive):
    """ORDER BY of one name: a case-sensitive collation puts lower case
    before upper case of the same letter."""
    return (collation_key(name), [(not c.islower(), c) for c in name] if case_sensitive else [])


class Column:
    def __init__(self, entry, types):
        self.name = entry["name"]
        if "xusertype" in entry:
            self.xusertype = entry["xusertype"]
            self.xtype = next((x for _, u, x in types if u == self.xusertype), self.xusertype)
        else:
            matches = [(u, x) for n, u, x in types if n == entry["type"]]
            if not matches:
                raise ValueError("unknown type in fixture: %s" % entry["type"])
            self.xusertype, self.xtype = matches[0]
        self.length = entry.get("length", 4)
        ident = entry.get("identity")
        self.identity = None
        if ident:
            ident = ident if isinstance(ident, dict) else {}
            self.identity = (ident.get("seed", 1), ident.get("incr", 1), ident.get("current", 1))
        self.computed = bool(entry.get("computed", False))
        # GeneratedAlwaysType: 1 a period's start, 2 its end; 0 for any other column.
        self.generated = int(entry.get("generated", 0))
        # A procedure's parameter: isoutparam, and xprec and xscale (the
        # type's own unless the fixture gives them, as for decimal(p,s)).
        self.output = bool(entry.get("output", False))
        prec, scale = TYPE_PRECISION.get(self.xtype, (0, 0))
        self.prec = entry.get("prec", prec)
        self.scale = entry.get("scale", scale)
        # Whether it allows NULL; None until its table decides the default.
        self.nullable = entry.get("nullable")

    def unwritable(self, version):
        generated = self.generated if version >= 2016 else 0
        return bool(self.identity) or self.computed or self.xtype == TIMESTAMP_XTYPE or generated > 0


class Object:
    def __init__(self, entry, object_id, types):
        self.id = object_id
        # A schema of null stands for a uid that maps to no schema (one
        # dropped or changed while the catalogue was read): SCHEMA_NAME and
        # USER_NAME answer NULL for it.
        self.schema = entry.get("schema", entry.get("owner", "dbo"))
        # Dropped by another session right after a list named it.
        self.drop_after_listing = bool(entry.get("dropAfterListing", False))
        self.name = entry["name"]
        self.xtype = entry.get("xtype", "U")
        status = entry.get("status")
        # Shipped objects: master's spt_ tables, sysdiagrams, dtproperties.
        self.shipped = bool(entry.get("shipped", status is not None and status <= 0))
        # What sysobjects.status held on SQL Server 2000.
        self.status_2000 = status if status is not None else (0 if self.shipped else 1)
        # A procedure's parameters are its rows in syscolumns, as a table's
        # columns are.
        self.columns = [Column(c, types) for c in entry.get("columns", entry.get("parameters", []))]
        # A numbered procedure (Grp;1, Grp;2 ...) is one object: "parameters"
        # are its first member's, "members" the parameters of ;2, ;3 ...
        self.members = [[Column(c, types) for c in m] for m in entry.get("members", [])]
        # The primary key's columns, in key order.
        self.key = list(entry.get("key", []))
        # Its FOREIGN KEY constraints, resolved once every table is known.
        self.foreign_key_entries = list(entry.get("foreignKeys", []))
        names = [c.name for c in self.columns]
        for k in self.key:
            if k not in names:
                raise ValueError("fixture: key column %s is not a column of %s" % (k, self.name))


class Database:
    def __init__(self, entry, types, first_id):
        self.name = entry["name"]
        # The logins that may open it (every one when not given).
        self.users = entry.get("users")
        self.types = types + [(t["name"], t["xusertype"], self.base_xtype(t, types))
                              for t in entry.get("types", [])]
        self.objects = [Object(o, first_id + i, self.types)
                        for i, o in enumerate(entry.get("objects", []))]

    @staticmethod
    def base_xtype(alias, types):
        base = alias.get("base")
        if base is None:
            # A table type's xtype is 243, a CLR type's 240: no systypes
            # row has either as its xusertype.
            return alias.get("xtype", alias["xusertype"])
        return next(x for n, _, x in types if n == base)

    def type_name(self, xusertype):
        for name, user, _ in self.types:
            if user == xusertype:
                return name
        return None


# The system tables of master that SQL Server ships, marked as such.
MASTER_SHIPPED = [
    {"name": "spt_fallback_db", "shipped": True, "columns": [{"name": "xserver_name", "type": "varchar"}]},
    {"name": "spt_monitor", "shipped": True, "columns": [{"name": "lastrun", "type": "datetime"}]},
    {"name": "MSreplication_options", "shipped": True,
     "columns": [{"name": "optname", "type": "sysname"}]},
    {"name": "spt_values", "xtype": "V", "shipped": True,
     "columns": [{"name": "name", "type": "nvarchar"}]},
]


class Catalog:
    def __init__(self, fixture, version=2022, case_sensitive=False):
        self.version = version
        self.case_sensitive = case_sensitive
        types = list(SYSTYPES)
        entries = list(fixture["databases"])
        if not any(same_name_ci(d["name"], "master") for d in entries):
            entries.insert(0, {"name": "master"})
        self.databases = []
        for n, d in enumerate(entries):
            if same_name_ci(d["name"], "master"):
                d = dict(d, objects=list(d.get("objects", [])) + MASTER_SHIPPED)
            self.databases.append(Database(d, types, 1000 + 100000 * n))
        for n, d in enumerate(self.databases):
            self.check_unique(d)
            relations.attach(d, self.same, 1000 + 100000 * n + 90000)
        self.logins = fixture.get("logins", {"sa": "Pellam#2026"})
        self.windows_logins = fixture.get("windows_logins", True)

    def same(self, a, b):
        return same_name_cs(a, b) if self.case_sensitive else same_name_ci(a, b)

    def check_unique(self, database):
        """Object names are unique within a schema, whatever the object's kind."""
        for i, a in enumerate(database.objects):
            for b in database.objects[:i]:
                if a.schema is not None and b.schema is not None and \
                        self.same(a.schema, b.schema) and self.same(a.name, b.name):
                    raise ValueError("fixture: two objects %s.%s in %s"
                                     % (a.schema, a.name, database.name))

    @staticmethod
    def load(path, version=2022, case_sensitive=False):
        with open(path, encoding="utf-8") as f:
            return Catalog(json.load(f), version, case_sensitive)

    def database(self, name):
        for d in self.databases:
            if self.same(d.name, name):
                return d
        return None


# The catalogue statements, each split at its one fill (if any). The first
# forms are the ones written for SQL Server 2000; the second name system
# views as the catalogue defines them and find objects by id.
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

DATABASES_LOWER = "SELECT [name] FROM [master]..[sysdatabases] ORDER BY [name]"
# The connection's current database, as a client checks it after USE.
CURRENT_DATABASE = "SELECT DB_NAME()"


def object_list_shape(function, xtype):
    return ("SELECT [name],%s([uid]) FROM [" % function,
            "]..[sysobjects] WHERE [xtype]='%s' AND OBJECTPROPERTY([id],'IsMSShipped')=0 "
            "ORDER BY 1,2" % xtype)


SCHEMA_PROCEDURES = object_list_shape("SCHEMA_NAME", "P")
OWNER_PROCEDURES = object_list_shape("USER_NAME", "P")
PARAMETERS_BY_ID = ("SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length],[b].[name],"
                    "[syscolumns].[isoutparam],[syscolumns].[xprec],[syscolumns].[xscale] "
                    "FROM [syscolumns] LEFT JOIN  [systypes] ON "
                    "[syscolumns].[xusertype]=[systypes].[xusertype] LEFT JOIN [systypes] [b] ON "
                    "[syscolumns].[xtype]=[b].[xusertype] WHERE [syscolumns].[id]=OBJECT_ID(N'",
                    "') ORDER BY [syscolumns].[colid]")
# The same with a numbered procedure's first member only: syscolumns holds
# every member's parameters under the group's one id, told apart by
# [number] (1 for a procedure that is in no group).
FIRST_MEMBER_PARAMETERS = (PARAMETERS_BY_ID[0],
                           "') AND [syscolumns].[number]<=1 ORDER BY [syscolumns].[colid]")
SCHEMA_TABLES = object_list_shape("SCHEMA_NAME", "U")
SCHEMA_VIEWS = object_list_shape("SCHEMA_NAME", "V")
OWNER_TABLES = object_list_shape("USER_NAME", "U")
OWNER_VIEWS = object_list_shape("USER_NAME", "V")
COLUMNS_BY_ID = ("SELECT [syscolumns].[name],[systypes].[name],[syscolumns].[length],[b].[name] "
                 "FROM [syscolumns] LEFT JOIN  [systypes] ON "
                 "[syscolumns].[xusertype]=[systypes].[xusertype] LEFT JOIN [systypes] [b] ON "
                 "[syscolumns].[xtype]=[b].[xusertype] WHERE [syscolumns].[id]=OBJECT_ID(N'",
                 "') ORDER BY [syscolumns].[colid]")
UNWRITABLE = ("SELECT [name] FROM [syscolumns] WHERE [id]=OBJECT_ID(N'",
              "') AND (COLUMNPROPERTY([id],[name],'IsIdentity')=1 OR "
              "COLUMNPROPERTY([id],[name],'IsComputed')=1 OR [xtype]=189 OR "
              "COLUMNPROPERTY([id],[name],'GeneratedAlwaysType')>0) ORDER BY [colid]")

# Every primary key's columns in key order, from the INFORMATION_SCHEMA views
# (TABLE_SCHEMA is the owner on SQL Server 2000).
KEYS = ("SELECT [k].[TABLE_SCHEMA],[k].[TABLE_NAME],[k].[COLUMN_NAME] FROM "
        "[INFORMATION_SCHEMA].[TABLE_CONSTRAINTS] [t] JOIN [INFORMATION_SCHEMA].[KEY_COLUMN_USAGE] [k] "
        "ON [k].[CONSTRAINT_SCHEMA]=[t].[CONSTRAINT_SCHEMA] AND "
        "[k].[CONSTRAINT_NAME]=[t].[CONSTRAINT_NAME] WHERE [t].[CONSTRAINT_TYPE]='PRIMARY KEY' "
        "ORDER BY 1,2,[k].[ORDINAL_POSITION]")


def identity_columns_statement(function):
    return ("SELECT %s([o].[uid]),[o].[name],[c].[name] FROM [sysobjects] [o] JOIN [syscolumns] [c] "
            "ON [c].[id]=[o].[id] WHERE [o].[xtype]='U' AND "
            "COLUMNPROPERTY([o].[id],[c].[name],'IsIdentity')=1 ORDER BY 1,2" % function)


IDENTITY_COLUMNS = {identity_columns_statement("SCHEMA_NAME"): "schema",
                    identity_columns_statement("USER_NAME"): "owner"}

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
    while close == "'" and end is not None:
        # N'...'+NCHAR(n)+N'...': the concatenation SQL Server evaluates to
        # one string, a character given by its UTF-16 code in the middle.
        m = re.match(r"\+NCHAR\((\d+)\)\+N'", statement[end:])
        if m is None or int(m.group(1)) > 0xFFFF:
            break
        more, end = read_quoted(statement, end + m.end(), close)
        value += chr(int(m.group(1))) + more
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
          ("identity", IDENTITY, "'"), ("schema U", SCHEMA_TABLES, "]"),
          ("schema V", SCHEMA_VIEWS, "]"), ("owner U", OWNER_TABLES, "]"),
          ("owner V", OWNER_VIEWS, "]"), ("columns by id", COLUMNS_BY_ID, "'"),
          ("unwritable", UNWRITABLE, "'"), ("schema P", SCHEMA_PROCEDURES, "]"),
          ("owner P", OWNER_PROCEDURES, "]"), ("parameters by id", PARAMETERS_BY_ID, "'"),
          ("first member parameters", FIRST_MEMBER_PARAMETERS, "'")]
FIXED = (DATABASES, DATABASES_LOWER, KEYS, CURRENT_DATABASE) + tuple(IDENTITY_COLUMNS) + \
    relations.STATEMENTS


def known_at(text, start):
    """The end of the catalogue statement that begins at `start`, when one
    does and is followed by a separator or the end; else None."""
    def ends_there(end):
        return end == len(text) or text[end] in SEPARATORS
    for fixed in FIXED:
        if text.startswith(fixed, start) and ends_there(start + len(fixed)):
            return start + len(fixed)
    if text.startswith("USE [", start):
        _, end = read_quoted(text, start + 5, "]")
        if end is not None and ends_there(end):
            return end
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


def identifiers(statement):
    """The identifiers of a statement outside its string literals, each as
    (text, whether a "." follows it)."""
    out, i, n = [], 0, len(statement)
    while i < n:
        ch = statement[i]
        if ch == "'":
            _, end = read_quoted(statement, i + 1, "'")
            i = n if end is None else end
            continue
        if ch == "[":
            name, end = read_quoted(statement, i + 1, "]")
            i = n if end is None else end
        elif ch.isalpha() or ch == "_":
            end = i
            while end < n and (statement[end].isalnum() or statement[end] in "_@#$"):
                end += 1
            name, i = statement[i:end], end
            if i < n and statement[i] == "'":  # the N of N'...'
                continue
        else:
            i += 1
            continue
        out.append((name, i < n and statement[i] == "."))
    return out


def parse_multipart(text):
    """The parts of a multi-part name ("[a].[b]", "a.b", "b"), or None when
    the text is not one."""
    parts, i, n = [], 0, len(text)
    while True:
        if i < n and text[i] == "[":
            part, end = read_quoted(text, i + 1, "]")
            if end is None:
                return None
            i = end
        else:
            end = i
            while end < n and text[end] != ".":
                end += 1
            part, i = text[i:end].strip(" "), end
        parts.append(part)
        if i == n:
            return parts
        if text[i] != ".":
            return None
        i += 1


def parse_use(statement):
    """The database a "USE [name]" statement names, or None for another
    statement."""
    if not statement.upper().startswith("USE "):
        return None
    rest = statement[4:].lstrip()
    if not rest.startswith("["):
        return rest
    name, end = read_quoted(rest, 1, "]")
    return name if end == len(rest) else None


class Session:
    """One connection's state: the catalogue it reads and its current database."""

    def __init__(self, catalog, database):
        self.catalog = catalog
        self.current = database

    def execute(self, statement):
        """Returns (columns, rows) for a result, None for a statement without
        one, or raises SqlError."""
        if statement.upper().startswith(HARMLESS_PREFIXES):
            return None
        self.check_names(statement)
        if statement == KEYS:
            return self.key_list()
        if statement in IDENTITY_COLUMNS:
            return self.identity_column_list()
        if statement in relations.FOREIGN_KEYS:
            return relations.foreign_key_rows(self)
        if statement in relations.NULLABILITY:
            return relations.nullability_rows(self)
        if statement == CURRENT_DATABASE:
            return [("", NVARCHAR)], [[self.current.name]]
        if statement in FIXED:
            names = [d.name for d in self.catalog.databases]
            names.sort(key=lambda n: sort_key(n, self.catalog.case_sensitive))
            return [("name" if statement == DATABASES_LOWER else "Name", NVARCHAR)], \
                [[n] for n in names]

        matched = match_any(statement, SHAPES)
        if matched is None:
            raise SqlError(50000, "The stand-in server cannot evaluate this statement: %s" % statement)
        tag, fill = matched
        if tag in ("U", "V"):
            return self.object_list_by_status(fill, tag)
        if tag.startswith(("schema ", "owner ")):
            return self.object_list(fill, tag[-1])
        if tag == "columns":
            return self.column_list_by_name(fill)
        if tag == "columns by id":
            return self.column_list(fill)
        if tag == "parameters by id":
            return self.parameter_list(fill, every_member=True)
        if tag == "first member parameters":
            return self.parameter_list(fill, every_member=False)
        if tag == "unwritable":
            return self.unwritable_list(fill)
        return self.identity_list(fill)

    def check_names(self, statement):
        """What the server's binding makes of the statement's names: functions
        it lacks, and system names spelt otherwise under a case-sensitive
        collation."""
        if self.catalog.version <= 2000 and "SCHEMA_NAME(" in statement.upper():
            raise SqlError(195, "'SCHEMA_NAME' is not a recognized built-in function name.")
        if not self.catalog.case_sensitive:
            return
        # The server binds the FROM clause (databases, then objects) before
        # the columns.
        names = identifiers(statement)
        for name, qualifier in names:
            if name.lower() == "master" and name != "master" and qualifier:
                raise SqlError(911, "Database '%s' does not exist. Make sure that the name is "
                               "entered correctly." % name)
        for name, _ in names:
            if name.lower() in SYSTEM_OBJECTS and name != name.lower():
                raise SqlError(208, "Invalid object name '%s'." % name)
        for name, qualifier in names:
            if name.lower() in SYSTEM_COLUMNS and name != name.lower() and not qualifier:
                raise SqlError(207, "Invalid column name '%s'." % name)

    def database(self, name):
        db = self.catalog.database(name)
        if db is None:
            raise SqlError(911, "Database '%s' does not exist. Make sure that the name is entered "
                           "correctly." % name)
        return db

    def sorted_rows(self, rows):
        cs = self.catalog.case_sensitive
        # NULL sorts first.
        return sorted(rows, key=lambda r: [(v is not None, sort_key(v or "", cs)) for v in r])

    def object_list_by_status(self, database_name, xtype):
        db = self.database(database_name)
        status = (lambda o: o.status_2000) if self.catalog.version <= 2000 else (lambda o: 0)
        rows = [[o.name] for o in db.objects if o.xtype == xtype and status(o) > 0]
        return [("Name", NVARCHAR)], self.sorted_rows(rows)

    def object_list(self, database_name, xtype):
        db = self.database(database_name)
        listed = [o for o in db.objects if o.xtype == xtype and not o.shipped]
        rows = [[o.name, o.schema] for o in listed]
        db.objects = [o for o in db.objects if not (o in listed and o.drop_after_listing)]
        return [("name", NVARCHAR), ("", NVARCHAR)], self.sorted_rows(rows)

    def object_id(self, text):
        """The object OBJECT_ID finds for a one- or two-part name (three
        parts when the first is the current database), or None."""
        parts = parse_multipart(text)
        if parts is None or len(parts) > 3 or any(p == "" for p in parts[-1:]):
            return None
        if len(parts) == 3:
            if not self.catalog.same(parts[0], self.current.name):
                return None
            parts = parts[1:]
        schema = parts[0] if len(parts) == 2 and parts[0] != "" else "dbo"
        return self.objects_by_name().get((self.folded(schema), self.folded(parts[-1])))

    def folded(self, name):
        """A name as the server's collation compares it."""
        return name.rstrip(" ") if self.catalog.case_sensitive else name.rstrip(" ").casefold()

    def objects_by_name(self):
        """The current database's objects by schema and name, as the
        collation compares them; made again when an object is dropped."""
        objects = self.current.objects
        key = (id(self.current), id(objects), len(objects))
        if getattr(self, "_index_key", None) != key:
            index = {}
            for o in objects:
                if o.schema is not None:
                    index.setdefault((self.folded(o.schema), self.folded(o.name)), o)
            self._index, self._index_key = index, key
        return self._index

    def column_list_by_name(self, name):
        columns = [("name", NVARCHAR), ("name", NVARCHAR), ("length", SMALLINT)]
        matches = [o for o in self.current.objects if self.catalog.same(o.name, name)]
        if len(matches) > 1:
            raise SqlError(512, "Subquery returned more than 1 value. This is not permitted when the "
                           "subquery follows =, !=, <, <= , >, >= or when the subquery is used as "
                           "an expression.")
        if not matches:
            return columns, []
        return columns, [[c.name, self.current.type_name(c.xusertype), c.length]
                         for c in matches[0].columns]

    def column_list(self, name):
        columns = [("name", NVARCHAR), ("name", NVARCHAR), ("length", SMALLINT), ("name", NVARCHAR)]
        o = self.object_id(name)
        if o is None:
            return columns, []
        return columns, [[c.name, self.current.type_name(c.xusertype), c.length,
                          self.current.type_name(c.xtype)] for c in o.columns]

    def parameter_list(self, name, every_member):
        columns = [("name", NVARCHAR), ("name", NVARCHAR), ("length", SMALLINT), ("name", NVARCHAR),
                   ("isoutparam", INT), ("xprec", TINYINT), ("xscale", TINYINT)]
        o = self.object_id(name)
        if o is None:
            return columns, []
        # Each member's parameters are numbered from colid 1: ORDER BY
        # colid mixes the members of a group.
        members = [o.columns] + (o.members if every_member else [])
        rows = [(colid, number, c) for number, member in enumerate(members)
                for colid, c in enumerate(member)]
        rows.sort(key=lambda r: (r[0], r[1]))
        return columns, [[c.name, self.current.type_name(c.xusertype), c.length,
                          self.current.type_name(c.xtype), int(c.output), c.prec, c.scale]
                         for _, _, c in rows]

    def unwritable_list(self, name):
        o = self.object_id(name)
        rows = [] if o is None else [[c.name] for c in o.columns if c.unwritable(self.catalog.version)]
        return [("name", NVARCHAR)], rows

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

    def key_list(self):
        """INFORMATION_SCHEMA's primary key columns of the current database:
        one row per column, by schema, table and key position."""
        rows = []
        for o in self.current.objects:
            if o.xtype != "U" or o.schema is None:
                continue
            for position, column in enumerate(o.key):
                rows.append((o.schema, o.name, position, column))
        cs = self.catalog.case_sensitive
        rows.sort(key=lambda r: (sort_key(r[0], cs), sort_key(r[1], cs), r[2]))
        return [("TABLE_SCHEMA", NVARCHAR), ("TABLE_NAME", NVARCHAR), ("COLUMN_NAME", NVARCHAR)], \
            [[r[0], r[1], r[3]] for r in rows]

    def identity_column_list(self):
        """Every user table's IDENTITY column, with its schema (owner)."""
        rows = [[o.schema, o.name, c.name] for o in self.current.objects
                if o.xtype == "U" for c in o.columns if c.identity]
        return [("", NVARCHAR), ("name", NVARCHAR), ("name", NVARCHAR)], self.sorted_rows(rows)
