' An unattended run (message boxes on standard error, see settings_dialog.stderr)
' shows no settings dialog, which nobody could answer: opening from a
' settings file that is missing says so in one line and counts as cancelled.
Dim db
Set db = CreateObject("Vendral.CDatabase")
Check "OpenODBC_DB from a missing settings file", db.OpenODBC_DB("C:\vendral\missing.ini", 1), False
Check "nothing was opened", db.dDatabaseIsRunning, False
Set db = Nothing
Done "settings_dialog.vbs"
