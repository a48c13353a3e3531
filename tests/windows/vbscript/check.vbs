Option Explicit
' The checks of the VBScript suite, put before each test script by
' scripts/wine-tests.sh. A failed check prints a FAIL line; the runner also
' requires the script's last line (Done), which a script error never reaches.
Dim Failures
Failures = 0

Sub Check(name, actual, expected)
    If TypeName(actual) = TypeName(expected) And actual = expected Then
        WScript.Echo "ok " & name
    Else
        WScript.Echo "FAIL " & name & ": got " & TypeName(actual) & " [" & actual & _
            "], expected " & TypeName(expected) & " [" & expected & "]"
        Failures = Failures + 1
    End If
End Sub

Sub Done(script)
    WScript.Echo "SENTINEL " & script & " ran to its end with " & Failures & " failed checks"
End Sub
