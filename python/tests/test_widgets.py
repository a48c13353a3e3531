"""The widget classes through the Python client, on Qt's offscreen platform:
the served objects make the QApplication that an interpreter does not have."""

import os
import shutil
import tempfile
import unittest

import vendral

WIDGETS = os.environ.get("VENDRAL_WIDGETS_LIBRARY")
DIVISION_BY_ZERO = 0x800A000B - (1 << 32)


@unittest.skipUnless(WIDGETS, "the build has no widget library")
class WidgetClassTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vendral-py-widgets-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        os.environ["VENDRAL_REGISTRY"] = os.path.join(self.folder, "registry.reg")
        self.addCleanup(os.environ.pop, "VENDRAL_REGISTRY", None)
        os.environ["QT_QPA_PLATFORM"] = "offscreen"
        vendral.RegisterServer(WIDGETS)

    def test_progress_bar_by_progid(self):
        with open(os.environ["VENDRAL_REGISTRY"]) as registry:
            text = registry.read()
        self.assertIn('@="%s"' % os.path.realpath(WIDGETS), text)
        self.assertIn("[HKEY_CLASSES_ROOT\\Vendral.CProgressBar\\CLSID]", text)

        bar = vendral.CreateObject("Vendral.CProgressBar")
        self.assertEqual(bar.MaxValue, 0)
        bar.maxvalue = "5000"
        self.assertEqual(bar.MaxValue, 5000)
        bar.SethWndParent = 0
        self.assertEqual(bar.SethWndParent, 0)
        # No parent: nothing is made.
        self.assertIs(bar.Create(), False)
        self.assertEqual(bar.ProgBarHwnd, 0)
        bar.Raise = 50
        bar.StepValue = 0
        with self.assertRaises(vendral.ComError) as failed:
            bar.Raise = 3
        self.assertEqual(failed.exception.number, DIVISION_BY_ZERO)
        self.assertEqual(failed.exception.description, "Division by zero")
        with self.assertRaises(AttributeError):
            bar.ShowSplash

    def test_splash_by_progid(self):
        splash = vendral.CreateObject("Vendral.CSplash")
        self.assertIsNone(splash.ShowSplash(os.path.join(self.folder, "missing.exe")))
        for _ in range(11):
            splash.LoadStep()
        vendral.UnregisterServer(WIDGETS)
        with self.assertRaises(vendral.ComError):
            vendral.CreateObject("Vendral.CSplash")


if __name__ == "__main__":
    unittest.main()
