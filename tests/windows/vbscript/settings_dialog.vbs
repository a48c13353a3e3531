' The Windows build has no settings dialog: asking for it, or opening from a
' settings file that is missing, says so in one message (on standard error in
' the tests, see settings_dialog.stderr) and counts as cancelled.
Dim db
Set db = CreateObject("Vendral.CDatabase")
Check "OpenODBC_DB from a missing settings file", db.OpenODBC_DB("C:\vendral\missing.ini", 1), False
Check "nothing was opened", db.dDatabaseIsRunning, False
Set db = Nothing
Done "settings_dialog.vbs"
