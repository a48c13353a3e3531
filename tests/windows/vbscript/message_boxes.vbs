' The library's message boxes shown for real: the runner finds each box of
' message_boxes.boxes by its title, reads its text and icon through the
' system's window calls and answers it with the Return key. The Error box of
' an open whose data source does not exist (the settings dialog's boxes are
' answered in scripts/wine-tests.d/settings-dialog.sh).
Dim db
Set db = CreateObject("Vendral.CDatabase")
Check "OpenODBC_DB of a missing data source, after its box", _
    db.OpenODBC_DB("C:\vendral\missing-dsn.ini", 1), False
Check "the failure is counted", db.FailCount, 1
Check "nothing was opened", db.dDatabaseIsRunning, False
Set db = Nothing
Done "message_boxes.vbs"
