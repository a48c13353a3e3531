"""A late-bound client of the core alone: creates CDatabase by ProgID, opens
the connection from a settings file that may be missing (the settings dialog
then asks for it) and prints the result and the rows of a table.

    python3 open_with_dialog.py SETTINGS_FILE TABLE
"""

import sys

import vendral


def main():
    db = vendral.CreateObject("Vendral.CDatabase")
    opened = db.OpenODBC_DB(sys.argv[1], 1)
    print("opened %s running %s" % (opened, db.dDatabaseIsRunning))
    if db.dDatabaseIsRunning:
        print("rows %s" % db.CountRecords(sys.argv[2]))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
