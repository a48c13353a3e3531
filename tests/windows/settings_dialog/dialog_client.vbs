' A client of the settings dialog: ShowODBCSettings in every layout, driven
' by settings_dialog.exe (which started this script), then an open from what
' the dialog saved.
Dim db
Set db = CreateObject("Vendral.CDatabase")
Check "ShowODBCSettings, mode 3 with server fields, returns Empty", _
    IsEmpty(db.ShowODBCSettings("C:\vendral\dialog.ini", 3, True)), True
Check "OpenODBC_DB opens from what the dialog saved", db.OpenODBC_DB("C:\vendral\dialog.ini", 1), True
Check "the central connection runs", db.dDatabaseIsRunning, True
Check "ShowODBCSettings, mode 1, returns Empty after Cancel", _
    IsEmpty(db.ShowODBCSettings("C:\vendral\dialog.ini", 1)), True
Check "ShowODBCSettings, mode 2 with server fields", _
    IsEmpty(db.ShowODBCSettings("C:\vendral\dialog.ini", 2, True)), True
Check "ShowODBCSettings, mode 1 with server fields", _
    IsEmpty(db.ShowODBCSettings("C:\vendral\dialog.ini", 1, True)), True
Check "ShowODBCSettings, mode 2", IsEmpty(db.ShowODBCSettings("C:\vendral\dialog.ini", 2)), True
Check "ShowODBCSettings, mode 3", IsEmpty(db.ShowODBCSettings("C:\vendral\dialog.ini", 3)), True
Set db = Nothing
Done "dialog_client.vbs"
