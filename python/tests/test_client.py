"""The Python client through the entry points, on SQLite and on PostgreSQL."""

import os
import shutil
import tempfile
import unittest

import vendral

LIBRARY = os.environ["VENDRAL_LIBRARY"]
E_FAIL = -2147467259


# One ODBC configuration for the process: the driver manager keeps copies of
# its files for a while, so a folder must not change under it between tests.
ODBC_FOLDER = tempfile.mkdtemp(prefix="vendral-py-odbc-")


def setUpModule():
    shutil.copy(os.path.join(os.environ["VENDRAL_ODBC_TEMPLATE"], "odbcinst.ini"), ODBC_FOLDER)
    with open(os.path.join(ODBC_FOLDER, "odbc.ini"), "w") as ini:
        port = os.environ.get("VENDRAL_PG_PORT")
        if port:
            ini.write("[vendral_py_pg]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\n"
                      "Port=%s\nDatabase=postgres\n" % port)
    os.environ["ODBCSYSINI"] = ODBC_FOLDER
    os.environ["ODBCINI"] = os.path.join(ODBC_FOLDER, "odbc.ini")


def tearDownModule():
    shutil.rmtree(ODBC_FOLDER, True)


class ClientTest(unittest.TestCase):
    """Each test with a registry file and a folder of its own."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vendral-py-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        os.environ["VENDRAL_REGISTRY"] = os.path.join(self.folder, "registry.reg")
        self.addCleanup(os.environ.pop, "VENDRAL_REGISTRY", None)


class CreationTest(ClientTest):
    def test_creation_by_progid_through_the_registry_and_without_it(self):
        # No library named anywhere: neither the registry nor VENDRAL_LIBRARY.
        os.environ.pop("VENDRAL_LIBRARY")
        self.addCleanup(os.environ.__setitem__, "VENDRAL_LIBRARY", LIBRARY)
        with self.assertRaises(vendral.ComError) as refused:
            vendral.CreateObject("Vendral.CDatabase")
        self.assertEqual(refused.exception.number, -2147221164)
        self.assertIn("is not registered in " + os.environ["VENDRAL_REGISTRY"],
                      refused.exception.description)

        unregistered = vendral.CreateObject("Vendral.CDatabase", library=LIBRARY)
        self.assertEqual(unregistered.CentralDatabasePrefix, "CRM5.")

        vendral.RegisterServer(LIBRARY)
        with open(os.environ["VENDRAL_REGISTRY"]) as registry:
            self.assertIn('@="%s"' % os.path.realpath(LIBRARY), registry.read())
        db = vendral.CreateObject("Vendral.CDatabase")
        db.centraldatabaseprefix = "main"
        self.assertEqual(db.CentralDatabasePrefix, "main.")
        db.AssociateID = "12"
        self.assertEqual(db.AssociateID, 12)
        self.assertIs(db.dDatabaseIsRunning, False)
        with self.assertRaises(AttributeError):
            db.NoSuchMember
        vendral.UnregisterServer(LIBRARY)
        with self.assertRaises(vendral.ComError):
            vendral.CreateObject("Vendral.CDatabase")


class SqliteTest(ClientTest):
    def test_calls_and_rows_on_an_sqlite_file(self):
        vendral.RegisterServer(LIBRARY)
        db = vendral.CreateObject("Vendral.CDatabase")
        path = os.path.join(self.folder, "crm.db")
        open(path, "w").close()
        self.assertIs(db.OpenAccess_DB(path), True, db.LastReturnedErrorMessage)
        db.dDatabase = db.AccdDatabase
        db.CentralDatabasePrefix = "main"
        connection = db.dDatabase
        connection.Execute("CREATE TABLE appointment (appointment_id INTEGER, subject TEXT)")
        for row in ((1, "first"), (2, "second"), (3, None)):
            connection.Execute("INSERT INTO appointment VALUES (%d, %s)"
                               % (row[0], "'%s'" % row[1] if row[1] else "NULL"))

        self.assertEqual(db.CountRecords("appointment"), 3)
        self.assertEqual(db.CountRecords("appointment", "WHERE appointment_id > 1"), 2)
        self.assertEqual(db.CountRecords("appointment", None, 0), 3)
        self.assertEqual(db.GetFirstTextRecord("appointment", "subject",
                                               "WHERE appointment_id = 2"), "second")

        rows = connection.Execute("SELECT appointment_id, subject FROM appointment ORDER BY 1")
        read = []
        while not rows.EOF:
            read.append((rows.Fields(0).Value, rows.Fields("subject").Value))
            rows.MoveNext()
        rows.Close()
        self.assertEqual(read, [(1, "first"), (2, "second"), (3, vendral.Null)])

        with self.assertRaises(vendral.ComError) as failed:
            db.CountRecords("nosuch")
        self.assertIn("no such table: main.nosuch", failed.exception.description)
        self.assertEqual(failed.exception.number, E_FAIL)
        self.assertEqual(failed.exception.source, "Vendral")


@unittest.skipUnless(os.environ.get("VENDRAL_PG_PORT") or os.environ.get("VENDRAL_REQUIRE_PG"),
                     "no PostgreSQL server was started")
class PostgresTest(ClientTest):
    def test_calls_and_rows_on_postgresql(self):
        self.assertTrue(os.environ.get("VENDRAL_PG_PORT"), "no PostgreSQL server was started")
        schema = "vendral_py_%d" % os.getpid()
        db = vendral.CreateObject("Vendral.CDatabase", library=LIBRARY)
        db.OpenODBC_ByConnection("vendral_py_pg", schema + ".", "", "postgres",
                                 os.environ.get("VENDRAL_PG_PASSWORD", ""))
        self.assertIs(db.dDatabaseIsRunning, True)
        connection = db.dDatabase
        self.assertEqual(connection.State, 1)
        connection.Execute("DROP SCHEMA IF EXISTS %s CASCADE" % schema)
        connection.Execute("CREATE SCHEMA %s" % schema)
        self.addCleanup(lambda: connection.Execute("DROP SCHEMA %s CASCADE" % schema))
        connection.Execute("CREATE TABLE %s.appointment (appointment_id INTEGER, subject TEXT)"
                           % schema)
        connection.Execute("INSERT INTO %s.appointment VALUES (1, 'first'), (2, 'second')"
                           % schema)

        self.assertEqual(db.CountRecords("appointment"), 2)
        self.assertEqual(db.CountRecords("appointment", "WHERE appointment_id = 2"), 1)
        self.assertEqual(db.GetFirstLongRecord("appointment", "appointment_id",
                                               "WHERE subject = 'second'"), 2)
        rows = connection.Execute("SELECT subject FROM %s.appointment ORDER BY appointment_id"
                                  % schema)
        read = []
        while not rows.EOF:
            read.append(rows.Fields(0).Value)
            rows.MoveNext()
        self.assertEqual(read, ["first", "second"])

        with self.assertRaises(vendral.ComError) as failed:
            db.CountRecords("nosuch")
        self.assertIn('relation "%s.nosuch" does not exist' % schema,
                      failed.exception.description)
        self.assertEqual(failed.exception.number, E_FAIL)


if __name__ == "__main__":
    unittest.main()
