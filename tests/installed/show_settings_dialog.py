"""A late-bound client of the core alone that shows the settings dialog
through CDatabase.ShowODBCSettings, and says when the call has returned.

    python3 show_settings_dialog.py SETTINGS_FILE
"""

import sys

import vendral


def main():
    db = vendral.CreateObject("Vendral.CDatabase")
    db.ShowODBCSettings(sys.argv[1], 1)
    print("returned")
    sys.stdout.flush()


if __name__ == "__main__":
    main()
