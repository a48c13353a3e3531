' OpenODBC_DB on a missing settings file shows the settings dialog: saved,
' the same call opens the connection; cancelled, it gives False.
Dim db
Set db = CreateObject("Vendral.CDatabase")
Check "OpenODBC_DB opens once the dialog has saved the settings", _
    db.OpenODBC_DB("C:\vendral\fresh.ini", 1), True
Check "the central connection runs", db.dDatabaseIsRunning, True
Set db = Nothing
Set db = CreateObject("Vendral.CDatabase")
Check "OpenODBC_DB gives False when the dialog is cancelled", _
    db.OpenODBC_DB("C:\vendral\never.ini", 1), False
Check "nothing was opened", db.dDatabaseIsRunning, False
Set db = Nothing
Done "open_missing.vbs"
