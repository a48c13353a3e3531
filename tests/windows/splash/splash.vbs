' CSplash as a script shows it: scripts/wine-tests.d/splash.sh puts check.vbs
' before this file and reads the form from another process at each box
' titled "Splash check" (the box's own message loop runs the form meanwhile),
' then answers the box.
Dim splash, other, i

Sub Pause(stage)
    MsgBox "STAGE " & stage, vbOKOnly, "Splash check"
End Sub

Set splash = CreateObject("Vendral.CSplash")
Check "CreateObject(""Vendral.CSplash"") gives a CSplash", Right(TypeName(splash), 7), "CSplash"
Check "ShowSplash returns an empty value", IsEmpty(splash.ShowSplash("C:\vendral\prodwell.exe")), True
Pause "shown"
For i = 1 To 11
    splash.LoadStep
    Pause "step " & i
Next
Set splash = Nothing
Pause "released"

' A file without version resource, on a new object: both values empty.
Set splash = CreateObject("Vendral.CSplash")
splash.ShowSplash "C:\vendral\crm.ini"
Pause "no version"
Set splash = Nothing
Pause "released again"

' LoadStep before any ShowSplash: the first reports item 0 and does nothing,
' the second meets the bar's step of 0.
Set other = CreateObject("Vendral.CSplash")
On Error Resume Next
other.LoadStep
Check "the first LoadStep without a splash raises nothing", Err.Number, CLng(0)
Err.Clear
other.LoadStep
Check "the second LoadStep without a splash raises error 11", Err.Number, CLng(11)
On Error GoTo 0
Set other = Nothing
Done "splash.vbs"
