"""Foreign keys and the nullability of columns, as SQL Server answers the two
database-wide statements a client sends for them.

A table's fixture entry may give "foreignKeys": each has a "name", its
"columns" in key order, and "references": the referenced "table", its
"schema" (dbo when not given) and its "columns" in the same order. A
column's "nullable" says whether it allows NULL; when not given, a column
of the primary key, an IDENTITY column and a timestamp allow none, and
every other column allows it, as SQL Server makes a column declared
without NULL or NOT NULL under the ANSI settings every driver uses."""

from tds import NVARCHAR, INT


def foreign_keys_statement(function):
    return ("SELECT %s([p].[uid]),[p].[name],COL_NAME([f].[fkeyid],[f].[fkey]),%s([r].[uid]),"
            "[r].[name],COL_NAME([f].[rkeyid],[f].[rkey]),OBJECT_NAME([f].[constid]) FROM "
            "[sysforeignkeys] [f] JOIN [sysobjects] [p] ON [p].[id]=[f].[fkeyid] JOIN [sysobjects] "
            "[r] ON [r].[id]=[f].[rkeyid] ORDER BY 1,2,[f].[constid],[f].[keyno]"
            % (function, function))


def nullability_statement(function):
    return ("SELECT %s([o].[uid]),[o].[name],[c].[name],[c].[isnullable] FROM [sysobjects] [o] "
            "JOIN [syscolumns] [c] ON [c].[id]=[o].[id] WHERE [o].[xtype] IN ('U','V') AND "
            "OBJECTPROPERTY([o].[id],'IsMSShipped')=0 ORDER BY 1,2,[c].[colid]" % function)


FOREIGN_KEYS = (foreign_keys_statement("SCHEMA_NAME"), foreign_keys_statement("USER_NAME"))
NULLABILITY = (nullability_statement("SCHEMA_NAME"), nullability_statement("USER_NAME"))
STATEMENTS = FOREIGN_KEYS + NULLABILITY

SYSTEM_OBJECTS = ("sysforeignkeys",)
SYSTEM_COLUMNS = ("fkeyid", "fkey", "rkeyid", "rkey", "constid", "keyno", "isnullable")

TIMESTAMP_XTYPE = 189


class ForeignKey:
    """One FOREIGN KEY constraint: an object of its own in sysobjects, and
    one sysforeignkeys row per column (keyno from 1)."""

    def __init__(self, entry, table, constid):
        self.name = entry["name"]
        self.constid = constid
        self.table = table
        self.columns = list(entry["columns"])
        ref = entry["references"]
        self.referenced_schema = ref.get("schema", "dbo")
        self.referenced_name = ref["table"]
        self.referenced_columns = list(ref["columns"])
        if len(self.columns) != len(self.referenced_columns) or not self.columns:
            raise ValueError("fixture: foreign key %s has %d columns referencing %d"
                             % (self.name, len(self.columns), len(self.referenced_columns)))
        self.referenced = None


def attach(database, same, first_constid):
    """Reads the foreign keys of a database's tables from their fixture
    entries, resolving each referenced table as the server did when the key
    was made (it must exist), and gives each column its nullability."""
    keys = []
    for o in database.objects:
        for c in o.columns:
            if c.nullable is None:
                c.nullable = not (c.name in o.key or c.identity or c.xtype == TIMESTAMP_XTYPE)
        for entry in o.foreign_key_entries:
            fk = ForeignKey(entry, o, first_constid + len(keys))
            matches = [r for r in database.objects
                       if r.xtype == "U" and r.schema is not None and
                       same(r.schema, fk.referenced_schema) and same(r.name, fk.referenced_name)]
            if not matches:
                raise ValueError("fixture: foreign key %s references no table %s.%s"
                                 % (fk.name, fk.referenced_schema, fk.referenced_name))
            fk.referenced = matches[0]
            keys.append(fk)
    database.foreign_keys = keys


def column_name(table, name):
    """COL_NAME of a key's column: its name, or NULL when the table has no
    such column (it was dropped)."""
    return next((c.name for c in table.columns if c.name == name), None)


def foreign_key_rows(session):
    """Every foreign key column of the current database with the column it
    references, by the referencing table's schema and name, then the
    constraint's id and the key position."""
    rows = []
    for fk in session.current.foreign_keys:
        if fk.table not in session.current.objects or fk.referenced not in session.current.objects:
            continue  # the inner joins find no dropped object
        for keyno, (column, referenced) in enumerate(zip(fk.columns, fk.referenced_columns)):
            rows.append(([fk.table.schema, fk.table.name], fk.constid, keyno,
                         [fk.table.schema, fk.table.name, column_name(fk.table, column),
                          fk.referenced.schema, fk.referenced.name,
                          column_name(fk.referenced, referenced), fk.name]))
    order = session.sorted_rows([r[0] for r in rows])
    position = {}
    for i, r in enumerate(order):
        position.setdefault(tuple(r), i)
    rows.sort(key=lambda r: (position[tuple(r[0])], r[1], r[2]))
    columns = [("", NVARCHAR), ("name", NVARCHAR), ("", NVARCHAR), ("", NVARCHAR),
               ("name", NVARCHAR), ("", NVARCHAR), ("", NVARCHAR)]
    return columns, [r[3] for r in rows]


def nullability_rows(session):
    """Every column of the current database's user tables and views, with
    whether it allows NULL (1) or not (0), by schema, object and colid."""
    rows = []
    for o in session.current.objects:
        if o.xtype not in ("U", "V") or o.shipped:
            continue
        for colid, c in enumerate(o.columns):
            rows.append(([o.schema, o.name], colid, [o.schema, o.name, c.name, int(c.nullable)]))
    order = session.sorted_rows([r[0] for r in rows])
    position = {}
    for i, r in enumerate(order):
        position.setdefault(tuple(r), i)
    rows.sort(key=lambda r: (position[tuple(r[0])], r[1]))
    return [("", NVARCHAR), ("name", NVARCHAR), ("name", NVARCHAR), ("isnullable", INT)], \
        [r[2] for r in rows]
