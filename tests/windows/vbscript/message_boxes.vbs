' The library's message boxes shown for real: the runner finds each box of
' message_boxes.boxes by its title, reads its text and icon through the
' system's window calls and answers it with the Return key. The settings
' dialog's refusal and the restart notice of ShowODBCSettings, then the Error
' box of an open whose data source does not exist.
Dim db
Set db = CreateObject("Vendral.CDatabase")
Check "ShowODBCSettings returns Empty after its two boxes", _
    IsEmpty(db.ShowODBCSettings(SettingsFile, 1)), True
Check "OpenODBC_DB of a missing data source, after its box", _
    db.OpenODBC_DB("C:\vendral\missing-dsn.ini", 1), False
Check "the failure is counted", db.FailCount, 1
Check "nothing was opened", db.dDatabaseIsRunning, False
Set db = Nothing
Done "message_boxes.vbs"
