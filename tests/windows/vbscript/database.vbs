' CDatabase as a script sees it: created by its ProgID, opened from a settings
' file, queried, written through, with errors in Err.

' A list box as FillCombo fills it: AddItem, NewIndex and ItemData. (Wine's
' script engine takes one member per Public line.)
Class ScriptedList
    Public Items
    Public Data
    Public NewIndex
    Private Sub Class_Initialize()
        Items = ""
        Data = ""
        NewIndex = -1
    End Sub
    Public Sub AddItem(text)
        NewIndex = NewIndex + 1
        Items = Items & text & ";"
    End Sub
    Public Property Let ItemData(index, value)
        Data = Data & index & "=" & value & ";"
    End Property
End Class

Dim db, list, created, value
Set db = CreateObject("Vendral.CDatabase")
' TypeName reads the dual interface's name; VB drops its underscore, Wine's engine keeps it.
Check "TypeName of the created object", Replace(TypeName(db), "_", ""), "CDatabase"

' Open mode 1 (OpenCentral), the settings file the runner wrote; the optional
' third argument is omitted.
Check "OpenODBC_DB", db.OpenODBC_DB(SettingsFile, 1), True
Check "LastReturnedErrorMessage after opening", db.LastReturnedErrorMessage, ""

Check "CountRecords", db.CountRecords("appointment"), CLng(5)
Check "CountRecords with a condition", db.CountRecords("appointment", "WHERE associate_id = 12"), CLng(4)
Check "GetFirstTextRecord", db.GetFirstTextRecord("associate", "name", "WHERE associate_id = 12"), "Ada Lovelace"
Check "GetFirstLongRecord", db.GetFirstLongRecord("appointment", "do_by", "WHERE appointment_id = 101"), CLng(1212883210)
Check "GetFirstLongRecord of no row", db.GetFirstLongRecord("appointment", "do_by", "WHERE appointment_id = 999"), CLng(0)

Set list = New ScriptedList
db.FillCombo list, "SELECT associate_id, name FROM associate ORDER BY associate_id"
Check "FillCombo texts", list.Items, "Ada Lovelace;Charles Babbage;"
Check "FillCombo data", list.Data, "0=12;1=13;"

' A property let and get.
db.AssociateID = 12
Check "AssociateID", db.AssociateID, CLng(12)

' ExecSQL of an insert: the log row is written before the statement runs.
db.ExecSQL "INSERT INTO main.appointment (appointment_id, associate_id, do_by, type) VALUES (" & _
    "106, 12, 1212883300, 1)", 106
Check "inserted row", db.GetFirstLongRecord("appointment", "associate_id", "WHERE appointment_id = 106"), CLng(12)
Check "its log row's action", db.GetFirstLongRecord("traveltransactionlog", "type", "WHERE record_id = 106"), CLng(4352)
Check "its log row's table", db.GetFirstLongRecord("traveltransactionlog", "tablenumber", "WHERE record_id = 106"), CLng(9)
Check "its log row's associate", db.GetFirstLongRecord("traveltransactionlog", "associate_id", "WHERE record_id = 106"), CLng(12)

' UpdateTravelTransactionLog: an update of appointment 101 by associate 13.
db.UpdateTravelTransactionLog 4608, 13, 9, 101
Check "UpdateTravelTransactionLog", db.CountRecords("traveltransactionlog", "WHERE type = 4608 AND record_id = 101 AND associate_id = 13"), CLng(1)

' A preference written and read; the default of a missing one.
db.SavePreference 1, 12, "Wine", "Colour", "green"
Check "GetPreference", db.GetPreference(1, 12, "Wine", "Colour"), "green"
Check "GetPreference default", db.GetPreference(1, 12, "Wine", "Missing", "none"), "none"

' A ByRef argument: a variable passed where the method takes it by reference.
created = True
value = db.GetListID(48, "Supplier", created)  ' 48: Relation
Check "GetListID created the entry", db.GetFirstLongRecord("relationdefinition", "reldef_id", "WHERE name = 'Supplier'"), value
Check "the ByRef variable keeps its value", created, True

' A database error reaches the script's Err.
On Error Resume Next
db.CountRecords "no_such_table"
Check "Err.Number of a database error", Hex(Err.Number), "80004005"
Check "Err.Source", Err.Source, "Vendral"
Check "Err.Description is the driver's message", Err.Description, "[SQLite]no such table: main.no_such_table (1)"
WScript.Echo "(the error was " & Hex(Err.Number) & ": " & Err.Description & ")"
Err.Clear
On Error GoTo 0

Set db = Nothing
Done "database.vbs"
