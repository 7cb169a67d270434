"""The stand-in's evaluation of the catalogue statements, without a client."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "testserver"))

from catalog import (COLUMNS, DATABASES, IDENTITY, TABLES, VIEWS, Catalog, Session,  # noqa: E402
                     SqlError, split_batch)


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


class Batches(unittest.TestCase):
    def test_statements_split_at_blanks_line_breaks_and_semicolons(self):
        a = COLUMNS[0] + "x'')\r\nSELECT (''a" + COLUMNS[1]  # a fill that looks like a break
        b = IDENTITY[0] + "St''aff" + IDENTITY[1]
        self.assertEqual(split_batch(a + "\r\n" + b + " ;\n" + DATABASES), [a, b, DATABASES])
        # A batch of one statement is that statement, whatever follows it.
        self.assertEqual(split_batch(a + " "), [a + " "])
        self.assertEqual(split_batch("SELECT 1"), ["SELECT 1"])

    def test_anything_unknown_in_a_batch_refuses_all_of_it(self):
        for bad in ["SELECT 1", COLUMNS[0] + "x" + COLUMNS[1] + "x", COLUMNS[0].lower() + "x')"]:
            with self.assertRaises(SqlError) as caught:
                split_batch(TABLES[0] + "NOLK" + TABLES[1] + "\r\n" + bad)
            self.assertEqual(caught.exception.messages[0][0], 102, bad)


if __name__ == "__main__":
    unittest.main()
