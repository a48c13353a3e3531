"""The Python client refuses what it cannot pass or load with clear errors:
integers past 64 bits, registry files it cannot read, files that are no
server library, libraries that others may replace."""

import _ctypes
import os
import shutil
import signal
import stat
import tempfile
import unittest

import vendral

LIBRARY = os.environ["VENDRAL_LIBRARY"]
REGDB_E_CLASSNOTREG = -2147221164
E_ACCESSDENIED = -2147024891
CLSID = "{EAB3025D-64F0-4A4B-B906-24F70793B86D}"


class RefusalTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vendral-py-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.registry = os.path.join(self.folder, "registry.reg")
        os.environ["VENDRAL_REGISTRY"] = self.registry
        self.addCleanup(os.environ.pop, "VENDRAL_REGISTRY", None)
        # Only the registry names a library here.
        os.environ.pop("VENDRAL_LIBRARY")
        self.addCleanup(os.environ.__setitem__, "VENDRAL_LIBRARY", LIBRARY)

    def register(self, library):
        with open(self.registry, "w") as registry:
            registry.write('REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Vendral.CDatabase\\CLSID]\n@="%s"\n\n'
                           '[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]\n@="%s"\n'
                           % (CLSID, CLSID, library))

    def refused(self, hresult):
        with self.assertRaises(vendral.ComError) as refused:
            vendral.CreateObject("Vendral.CDatabase")
        self.assertEqual(refused.exception.hresult, hresult, refused.exception.description)
        return refused.exception.description

    def copy_library(self, folder_mode=0o755, mode=0o644):
        folder = os.path.join(self.folder, "lib")
        os.makedirs(folder, exist_ok=True)
        os.chmod(folder, folder_mode)
        copy = os.path.join(folder, "libvendral-copy.so.1")
        shutil.copyfile(LIBRARY, copy)
        os.chmod(copy, mode)
        return copy

    def test_integers_past_64_bits_raise_overflow_and_reach_nothing(self):
        db = vendral.CreateObject("Vendral.CDatabase", library=LIBRARY)
        db.AssociateID = 7
        for value in (2**64 + 12, 2**65, 2**63, -2**63 - 1):
            with self.assertRaises(OverflowError):
                db.AssociateID = value
            with self.assertRaises(OverflowError):
                db.CountRecords("appointment", "", value)
            with self.assertRaises(OverflowError):
                db.UpdateTravelTransactionLog(4608, value, 9, 4711)
        self.assertEqual(db.AssociateID, 7)
        # Within 64 bits the component checks the argument's own range.
        with self.assertRaises(vendral.ComError):
            db.AssociateID = 2**40

    def test_a_binary_registry_file_is_a_com_error(self):
        with open(self.registry, "wb") as registry:
            registry.write(b"\xff\xfe\x00binary\x80\x81")
        description = self.refused(REGDB_E_CLASSNOTREG)
        self.assertTrue(description.startswith("cannot read the registry file " + self.registry),
                        description)

    def test_a_folder_or_a_fifo_in_place_of_the_registry_is_no_registration(self):
        expected = ("Vendral.CDatabase is not registered in %s; register its library with: "
                    "vendral-regsvr LIBRARY" % self.registry)
        os.mkdir(self.registry)
        self.assertEqual(self.refused(REGDB_E_CLASSNOTREG), expected)
        os.rmdir(self.registry)

        os.mkfifo(self.registry)

        def waited(signum, frame):
            raise AssertionError("the client waits for a writer of the FIFO")
        previous = signal.signal(signal.SIGALRM, waited)
        signal.alarm(30)
        try:
            self.assertEqual(self.refused(REGDB_E_CLASSNOTREG), expected)
        finally:
            signal.alarm(0)
            signal.signal(signal.SIGALRM, previous)

    def test_an_entry_naming_no_server_library_is_a_com_error(self):
        text = os.path.join(self.folder, "notes.txt")
        with open(text, "w") as notes:
            notes.write("not a library\n")
        for named in (text, self.folder, _ctypes.__file__):
            self.register(named)
            description = self.refused(REGDB_E_CLASSNOTREG)
            self.assertTrue(description.startswith(
                "Vendral.CDatabase is registered in %s with the library %s, which cannot be "
                "loaded (" % (self.registry, named)), description)
            self.assertTrue(description.endswith(
                "; register the library again with: vendral-regsvr LIBRARY"), description)
        self.register(LIBRARY)
        self.assertEqual(vendral.CreateObject("Vendral.CDatabase").CentralDatabasePrefix, "CRM5.")

    def test_a_library_others_may_write_is_not_loaded_nor_registered(self):
        copy = self.copy_library(mode=0o666)
        self.register(copy)
        self.assertEqual(
            self.refused(E_ACCESSDENIED),
            "the library %s is not loaded: the file %s may be written by users other than its "
            "owner and root (mode 0666), so any of them could replace the code it runs; remove "
            "their write permission (chmod go-w %s) or register a library from a protected "
            "folder" % (copy, copy, copy))
        with self.assertRaises(vendral.ComError) as refused:
            vendral.RegisterServer(copy)
        self.assertEqual(refused.exception.hresult, E_ACCESSDENIED)

        folder = os.path.dirname(copy)
        os.chmod(copy, 0o644)
        os.chmod(folder, 0o777)
        self.assertIn("the folder %s may be written by users other than its owner and root "
                      "(mode 0777)" % folder, self.refused(E_ACCESSDENIED))
        os.chmod(folder, 0o1777 | stat.S_ISVTX)
        self.assertEqual(vendral.CreateObject("Vendral.CDatabase").CentralDatabasePrefix, "CRM5.")


if __name__ == "__main__":
    unittest.main()
