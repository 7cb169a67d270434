"""The stand-in's evaluation of the catalogue statements, without a client."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "testserver"))

import relations  # noqa: E402

from catalog import (COLUMNS, COLUMNS_BY_ID, DATABASES, DATABASES_LOWER, FIRST_MEMBER_PARAMETERS,  # noqa: E402
                     IDENTITY, KEYS,
                     OWNER_PROCEDURES, OWNER_TABLES, OWNER_VIEWS, PARAMETERS_BY_ID,
                     SCHEMA_PROCEDURES, SCHEMA_TABLES, SCHEMA_VIEWS, TABLES, UNWRITABLE,
                     VIEWS, Catalog, Session, SqlError, identity_columns_statement, split_batch)


FIXTURE = {"databases": [{"name": "NOLK", "objects": [
    {"name": "Staff", "columns": [{"name": "ID", "type": "int", "identity": True}]},
    {"name": "Twice", "owner": "a"}, {"name": "twice", "owner": "b"},
]}]}


class Evaluation(unittest.TestCase):
    def setUp(self):
        catalog = Catalog(FIXTURE)
        self.session = Session(catalog, catalog.database("nolk"))

    def error(self, text):
        with self.assertRaises(SqlError) as caught:
            self.session.execute(text)
        return caught.exception.messages

    def test_broken_quoting_is_a_syntax_error(self):
        messages = self.error(COLUMNS[0] + "O'Brien" + COLUMNS[1])
        self.assertEqual(messages[0], (102, "Incorrect syntax near 'Brien'."))
        self.assertEqual(messages[1][0], 105)
        self.assertEqual(self.error(TABLES[0] + "a]b" + TABLES[1])[0],
                         (102, "Incorrect syntax near 'b'."))
        self.assertEqual(self.error(VIEWS[0] + "a]b" + VIEWS[1])[0][0], 102)

    def test_doubled_quotes_are_one_name(self):
        columns, rows = self.session.execute(COLUMNS[0] + "St''aff" + COLUMNS[1])
        self.assertEqual(rows, [])
        self.assertEqual(len(columns), 3)

    def test_names_compare_without_case_and_trailing_blanks(self):
        _, rows = self.session.execute(COLUMNS[0] + "STAFF  " + COLUMNS[1])
        self.assertEqual(rows, [["ID", "int", 4]])
        _, rows = self.session.execute(IDENTITY[0] + "staff" + IDENTITY[1])
        self.assertEqual([r[:2] for r in rows], [["Staff", "ID"]])

    def test_ambiguous_subquery_and_missing_database(self):
        self.assertEqual(self.error(COLUMNS[0] + "TWICE" + COLUMNS[1])[0][0], 512)
        self.assertEqual(self.error(TABLES[0] + "Nope" + TABLES[1])[0][0], 911)

    def test_anything_else_is_an_error_never_a_result(self):
        for text in ["SELECT 1", "DROP TABLE Staff", TABLES[0] + "NOLK" + TABLES[1] + " ",
                     COLUMNS[0].lower() + "Staff" + COLUMNS[1]]:
            self.assertEqual(self.error(text)[0][0] in (50000, 102), True, text)


# A 2022 database: schemas, a shipped table, a constraint named as a table
# of another schema, and every kind of column a program may not write.
MODERN = {"databases": [{"name": "Shop", "objects": [
    {"name": "Orders", "key": ["ID"], "columns": [
        {"name": "ID", "type": "int", "identity": True},
        {"name": "Total", "type": "money", "computed": True},
        {"name": "Version", "type": "timestamp"},
        {"name": "ValidFrom", "type": "datetime2", "generated": 1},
        {"name": "ValidTo", "type": "datetime2", "generated": 2},
        {"name": "Note", "type": "Memo"}]},
    {"name": "Orders", "schema": "Sales", "xtype": "PK"},
    {"name": "Customers", "schema": "Sales", "columns": [{"name": "a", "type": "int"}]},
    {"name": "Customers", "schema": "Website", "xtype": "V", "columns": [{"name": "b", "type": "int"}]},
    {"name": "sysdiagrams", "shipped": True, "columns": [{"name": "name", "type": "sysname"}]},
    {"name": "Geo", "schema": "Sales", "columns": [{"name": "g", "type": "geography"}]},
    # A two-column key whose order is not the columns' order.
    {"name": "Order Lines", "schema": "Sales", "key": ["Line", "Order"],
     "columns": [{"name": "Order", "type": "int"}, {"name": "Line", "type": "smallint"},
                 {"name": "Seq", "type": "bigint", "identity": True}]},
], "types": [{"name": "Memo", "xusertype": 257, "base": "nvarchar"}]}]}


def session(fixture, version=2022, case_sensitive=False, database="Shop"):
    catalog = Catalog(fixture, version, case_sensitive)
    return Session(catalog, catalog.database(database))


def fill(shape, text):
    return shape[0] + text + shape[1]


class Versions(unittest.TestCase):
    def rows(self, s, statement):
        return s.execute(statement)[1]

    def test_lists_by_version_and_collation(self):
        cases = [
            # (what, version, case-sensitive, statement, rows)
            ("2022 tables", 2022, False, fill(SCHEMA_TABLES, "Shop"),
             [["Customers", "Sales"], ["Geo", "Sales"], ["Order Lines", "Sales"], ["Orders", "dbo"]]),
            ("2022 views", 2022, False, fill(SCHEMA_VIEWS, "Shop"), [["Customers", "Website"]]),
            ("2022, old statement", 2022, False, fill(TABLES, "Shop"), []),
            ("2022, old views", 2022, False, fill(VIEWS, "Shop"), []),
            ("2000 owners", 2000, False, fill(OWNER_TABLES, "Shop"),
             [["Customers", "Sales"], ["Geo", "Sales"], ["Order Lines", "Sales"], ["Orders", "dbo"]]),
            ("2000, old statement", 2000, False, fill(TABLES, "Shop"),
             [["Customers"], ["Geo"], ["Order Lines"], ["Orders"]]),
            ("2000, old views", 2000, False, fill(VIEWS, "Shop"), [["Customers"]]),
            ("case-sensitive", 2022, True, fill(SCHEMA_TABLES, "Shop"),
             [["Customers", "Sales"], ["Geo", "Sales"], ["Order Lines", "Sales"], ["Orders", "dbo"]]),
            ("case-sensitive databases", 2022, True, DATABASES_LOWER, [["master"], ["Shop"]]),
        ]
        for what, version, cs, statement, rows in cases:
            self.assertEqual(self.rows(session(MODERN, version, cs), statement), rows, what)

    def test_master_ships_tables_that_no_list_shows(self):
        s = session(MODERN, database="master")
        self.assertEqual(self.rows(s, fill(SCHEMA_TABLES, "master")), [])
        self.assertEqual(self.rows(s, fill(SCHEMA_VIEWS, "master")), [])
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "spt_monitor")), [["lastrun", "datetime", 4, "datetime"]])

    def test_errors_a_server_gives(self):
        cases = [
            ("2000 has no SCHEMA_NAME", 2000, False, fill(SCHEMA_TABLES, "Shop"), 195),
            ("mixed case under a case-sensitive collation", 2022, True, DATABASES, 911),
            ("a system view in mixed case", 2022, True, fill(TABLES, "Shop"), 208),
            ("a clash in the old column statement", 2022, False, fill(COLUMNS, "Orders"), 512),
            ("a view and a table of one name", 2022, False, fill(COLUMNS, "Customers"), 512),
        ]
        for what, version, cs, statement, number in cases:
            with self.assertRaises(SqlError, msg=what) as caught:
                session(MODERN, version, cs).execute(statement)
            self.assertEqual(caught.exception.messages[0][0], number, what)
        with self.assertRaises(SqlError) as caught:
            session(MODERN, 2022, True).execute("SELECT [name] FROM [Shop]..[SysObjects]")
        self.assertEqual(caught.exception.messages[0], (208, "Invalid object name 'SysObjects'."))

    def test_columns_by_object_with_base_types(self):
        s = session(MODERN)
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "[Sales].[Customers]")), [["a", "int", 4, "int"]])
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "[Website].[Customers]")), [["b", "int", 4, "int"]])
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "Customers")), [])  # not in dbo
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "[Sales].[Geo]")), [["g", "geography", 4, None]])
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "[dbo].[Orders]"))[-1], ["Note", "Memo", 4, "nvarchar"])
        self.assertEqual(self.rows(s, fill(COLUMNS_BY_ID, "[dbo].[orders]")), self.rows(s, fill(COLUMNS_BY_ID, "Orders")))
        # A case-sensitive collation finds only the exact spelling.
        cs = session(MODERN, 2022, True)
        self.assertEqual(self.rows(cs, fill(COLUMNS_BY_ID, "[dbo].[orders]")), [])
        self.assertEqual(len(self.rows(cs, fill(COLUMNS_BY_ID, "[dbo].[Orders]"))), 6)

    def test_unwritable_columns_by_version(self):
        names = lambda s: [r[0] for r in self.rows(s, fill(UNWRITABLE, "[dbo].[Orders]"))]  # noqa: E731
        self.assertEqual(names(session(MODERN)), ["ID", "Total", "Version", "ValidFrom", "ValidTo"])
        # 2000 knew no periods: GeneratedAlwaysType is NULL there.
        self.assertEqual(names(session(MODERN, 2000)), ["ID", "Total", "Version"])

    def test_keys_and_identity_columns_of_the_whole_database(self):
        # dbo before Sales, in every collation: letters compare by their
        # letter first.
        keys = [["dbo", "Orders", "ID"], ["Sales", "Order Lines", "Line"],
                ["Sales", "Order Lines", "Order"]]
        identities = [["dbo", "Orders", "ID"], ["Sales", "Order Lines", "Seq"]]
        for version, cs in [(2022, False), (2022, True), (2000, False)]:
            s = session(MODERN, version, cs)
            self.assertEqual(self.rows(s, KEYS), keys, (version, cs))
            function = "USER_NAME" if version == 2000 else "SCHEMA_NAME"
            self.assertEqual(self.rows(s, identity_columns_statement(function)), identities)
        # 2000 has no SCHEMA_NAME; the views are named only as the catalogue
        # spells them under a case-sensitive collation.
        with self.assertRaises(SqlError):
            session(MODERN, 2000).execute(identity_columns_statement("SCHEMA_NAME"))
        with self.assertRaises(SqlError):
            session(MODERN, 2022, True).execute(KEYS.replace("TABLE_CONSTRAINTS", "Table_Constraints"))
        # Both ride in one batch with the lists.
        batch = fill(SCHEMA_TABLES, "Shop") + ";" + KEYS + ";" + identity_columns_statement("SCHEMA_NAME")
        self.assertEqual(len(split_batch(batch)), 3)
        with self.assertRaises(ValueError):
            Catalog({"databases": [{"name": "D", "objects": [
                {"name": "T", "key": ["x"], "columns": [{"name": "y", "type": "int"}]}]}]})

    def test_object_names_are_unique_within_a_schema(self):
        clash = {"databases": [{"name": "D", "objects": [
            {"name": "T"}, {"name": "t", "xtype": "PK"}]}]}
        with self.assertRaises(ValueError):
            Catalog(clash)
        Catalog(clash, case_sensitive=True)


class Batches(unittest.TestCase):
    def test_statements_split_at_blanks_line_breaks_and_semicolons(self):
        a = COLUMNS[0] + "x'')\r\nSELECT (''a" + COLUMNS[1]  # a fill that looks like a break
        b = IDENTITY[0] + "St''aff" + IDENTITY[1]
        self.assertEqual(split_batch(a + "\r\n" + b + " ;\n" + DATABASES), [a, b, DATABASES])
        # A batch of one statement is that statement, whatever follows it.
        self.assertEqual(split_batch(a + " "), [a + " "])
        self.assertEqual(split_batch("SELECT 1"), ["SELECT 1"])

    def test_procedures_are_listed_and_their_parameters_read_as_syscolumns_holds_them(self):
        fixture = {"databases": [{"name": "Shop", "types": [
            {"name": "Lines", "xusertype": 257, "xtype": 243}], "objects": [
            {"name": "T", "columns": [{"name": "a", "type": "int"}]},
            {"name": "Place Order", "schema": "Sales", "xtype": "P", "parameters": [
                {"name": "@Total", "type": "decimal", "length": 9, "prec": 10, "scale": 2},
                {"name": "@Id", "type": "int", "output": True},
                {"name": "@Lines", "type": "Lines", "length": -1}]},
            {"name": "None", "xtype": "P"},
            {"name": "sp_shipped", "xtype": "P", "shipped": True}]}]}
        s = session(fixture)
        _, rows = s.execute(fill(SCHEMA_PROCEDURES, "Shop"))
        self.assertEqual(rows, [["None", "dbo"], ["Place Order", "Sales"]])
        _, rows = s.execute(fill(OWNER_PROCEDURES, "Shop"))
        self.assertEqual(len(rows), 2)
        _, rows = s.execute(fill(PARAMETERS_BY_ID, "[Sales].[Place Order]"))
        # A table-valued parameter's type has no base: its xtype, 243,
        # is no systypes row's xusertype.
        self.assertEqual(rows, [["@Total", "decimal", 9, "decimal", 0, 10, 2],
                                ["@Id", "int", 4, "int", 1, 10, 0],
                                ["@Lines", "Lines", -1, None, 0, 0, 0]])
        self.assertEqual(s.execute(fill(PARAMETERS_BY_ID, "[dbo].[None]"))[1], [])
        self.assertEqual(s.execute(fill(PARAMETERS_BY_ID, "[dbo].[Gone]"))[1], [])
        # The statements ride in one batch.
        a = fill(PARAMETERS_BY_ID, "[dbo].[None]")
        self.assertEqual(split_batch(a + "\r\n" + fill(SCHEMA_PROCEDURES, "Shop")),
                         [a, fill(SCHEMA_PROCEDURES, "Shop")])

    def test_a_numbered_procedure_holds_every_member_under_one_id(self):
        fixture = {"databases": [{"name": "Shop", "objects": [
            {"name": "Grp", "xtype": "P", "parameters": [
                {"name": "@a", "type": "int"}, {"name": "@b", "type": "varchar", "length": 10}],
             "members": [[{"name": "@a", "type": "bigint", "length": 8}]]},
            {"name": "Plain", "xtype": "P", "parameters": [{"name": "@x", "type": "int"}]}]}]}
        s = session(fixture)
        # Every member's rows, by colid: the names repeat across members.
        _, rows = s.execute(fill(PARAMETERS_BY_ID, "[dbo].[Grp]"))
        self.assertEqual([r[:2] for r in rows], [["@a", "int"], ["@a", "bigint"], ["@b", "varchar"]])
        # [number]<=1: the first member's alone; an ungrouped procedure keeps all.
        _, rows = s.execute(fill(FIRST_MEMBER_PARAMETERS, "[dbo].[Grp]"))
        self.assertEqual([r[:2] for r in rows], [["@a", "int"], ["@b", "varchar"]])
        _, rows = s.execute(fill(FIRST_MEMBER_PARAMETERS, "[dbo].[Plain]"))
        self.assertEqual([r[0] for r in rows], ["@x"])

    def test_anything_unknown_in_a_batch_refuses_all_of_it(self):
        for bad in ["SELECT 1", COLUMNS[0] + "x" + COLUMNS[1] + "x", COLUMNS[0].lower() + "x')"]:
            with self.assertRaises(SqlError) as caught:
                split_batch(TABLES[0] + "NOLK" + TABLES[1] + "\r\n" + bad)
            self.assertEqual(caught.exception.messages[0][0], 102, bad)


# Foreign keys: a composite one whose columns are not in table order, two
# to one table, a self-reference, one across schemas, one from a shipped
# table; nullability given and by default.
RELATED = {"databases": [{"name": "Shop", "objects": [
    {"name": "Shippers", "key": ["ID"], "columns": [{"name": "ID", "type": "int", "identity": True},
                                                   {"name": "Name", "type": "nvarchar", "nullable": False}]},
    {"name": "Orders", "key": ["ID"], "columns": [
        {"name": "ID", "type": "int", "identity": True},
        {"name": "ShipVia", "type": "int"}, {"name": "ReturnVia", "type": "int"},
        {"name": "Boss", "type": "int"}, {"name": "Version", "type": "timestamp"}],
     "foreignKeys": [
        {"name": "FK_Ship", "columns": ["ShipVia"], "references": {"table": "Shippers", "columns": ["ID"]}},
        {"name": "FK_Return", "columns": ["ReturnVia"], "references": {"table": "Shippers", "columns": ["ID"]}},
        {"name": "FK_Boss", "columns": ["Boss"], "references": {"table": "Orders", "columns": ["ID"]}}]},
    {"name": "Lines", "schema": "Sales", "key": ["Line", "Order"], "columns": [
        {"name": "Order", "type": "int"}, {"name": "Line", "type": "int"}]},
    {"name": "Notes", "schema": "Sales", "columns": [
        {"name": "Line", "type": "int"}, {"name": "Order", "type": "int"}],
     "foreignKeys": [{"name": "FK_Notes_Lines", "columns": ["Order", "Line"],
                      "references": {"schema": "Sales", "table": "Lines", "columns": ["Order", "Line"]}}]},
    {"name": "ShippedLog", "shipped": True, "columns": [{"name": "Via", "type": "int"}],
     "foreignKeys": [{"name": "FK_Log", "columns": ["Via"], "references": {"table": "Shippers", "columns": ["ID"]}}]},
    {"name": "V", "xtype": "V", "columns": [{"name": "x", "type": "int", "nullable": False}]},
]}]}


class Relations(unittest.TestCase):
    def rows(self, s, statement):
        return s.execute(statement)[1]

    def test_foreign_keys_by_table_constraint_and_key_position(self):
        # dbo before Sales; within Orders in constraint order (as made);
        # a composite key in key order, not the columns' order. The
        # shipped table's key is there: the statement does not filter.
        want = [["dbo", "Orders", "ShipVia", "dbo", "Shippers", "ID", "FK_Ship"],
                ["dbo", "Orders", "ReturnVia", "dbo", "Shippers", "ID", "FK_Return"],
                ["dbo", "Orders", "Boss", "dbo", "Orders", "ID", "FK_Boss"],
                ["dbo", "ShippedLog", "Via", "dbo", "Shippers", "ID", "FK_Log"],
                ["Sales", "Notes", "Order", "Sales", "Lines", "Order", "FK_Notes_Lines"],
                ["Sales", "Notes", "Line", "Sales", "Lines", "Line", "FK_Notes_Lines"]]
        for version, cs in [(2022, False), (2022, True), (2000, False)]:
            function = "USER_NAME" if version == 2000 else "SCHEMA_NAME"
            s = session(RELATED, version, cs)
            self.assertEqual(self.rows(s, relations.foreign_keys_statement(function)), want, version)
        with self.assertRaises(SqlError) as caught:
            session(RELATED, 2000).execute(relations.foreign_keys_statement("SCHEMA_NAME"))
        self.assertEqual(caught.exception.messages[0][0], 195)

    def test_nullability_of_user_tables_and_views_by_colid(self):
        got = self.rows(session(RELATED), relations.nullability_statement("SCHEMA_NAME"))
        # Keys, IDENTITY and timestamp columns allow no NULL unless given;
        # the shipped table is not there.
        self.assertEqual(got, [
            ["dbo", "Orders", "ID", 0], ["dbo", "Orders", "ShipVia", 1], ["dbo", "Orders", "ReturnVia", 1],
            ["dbo", "Orders", "Boss", 1], ["dbo", "Orders", "Version", 0],
            ["dbo", "Shippers", "ID", 0], ["dbo", "Shippers", "Name", 0],
            ["dbo", "V", "x", 0],
            ["Sales", "Lines", "Order", 0], ["Sales", "Lines", "Line", 0],
            ["Sales", "Notes", "Line", 1], ["Sales", "Notes", "Order", 1]])
        with self.assertRaises(SqlError):
            session(RELATED, 2000).execute(relations.nullability_statement("SCHEMA_NAME"))

    def test_a_key_must_reference_a_table_with_as_many_columns(self):
        for fk in [{"name": "F", "columns": ["a"], "references": {"table": "Nope", "columns": ["a"]}},
                   {"name": "F", "columns": ["a"], "references": {"table": "T", "columns": ["a", "a"]}}]:
            with self.assertRaises(ValueError):
                Catalog({"databases": [{"name": "D", "objects": [
                    {"name": "T", "columns": [{"name": "a", "type": "int"}], "foreignKeys": [fk]}]}]})


if __name__ == "__main__":
    unittest.main()
