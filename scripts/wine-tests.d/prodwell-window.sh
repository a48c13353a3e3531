# Prodwell's window on Windows (sourced by scripts/wine-tests.sh): prodwell.exe
# without arguments opens Form1, driven here with real keys and clicks and read
# back by prodwell_window.exe; prodwell.com, its console twin, runs the kick in
# a console and hands back its output and exit status.

# The graphical prodwell.exe opens no console from Explorer or a shortcut; the
# console prodwell.com is what cmd.exe runs for "prodwell".
subsystem() { x86_64-w64-mingw32-objdump -p "$1" 2>/dev/null | sed -n 's/^Subsystem[[:space:]]*//p'; }
[ "$(subsystem "$build/prodwell.exe")" = "00000002	(Windows GUI)" ] &&
  [ "$(subsystem "$build/prodwell.com")" = "00000003	(Windows CUI)" ] \
  && pass "prodwell.exe is a graphical program and prodwell.com its console twin" \
  || fail "prodwell.exe is a graphical program and prodwell.com its console twin" \
    "prodwell.exe: $(subsystem "$build/prodwell.exe"); prodwell.com: $(subsystem "$build/prodwell.com")"

# The window in a folder of its own, with its settings file beside it; it finds
# vendral.dll in C:\vendral through PATH, as the settings file is the one
# beside the program.
export WINEPATH='C:\vendral'
window_dir="$install_dir/window"
mkdir -p "$window_dir"
cp "$build/prodwell.exe" "$window_dir/"
settings_file "$window_dir/prodwell.ini" VendralWine
fresh_database "$database"
run_answering "prodwell.exe's window: its controls, an unreadable date, a kick typed and clicked" 300 \
  prodwell_window kick 'C:\vendral\window\prodwell.exe' "Inserts for appointments: 1, inserts for tasks: 2"
window_rows=$(log_rows "$database")
[ "$window_rows" = "$expected_rows" ] && pass "the window's kick logs the three rows" \
  || fail "the window's kick logs the three rows" "got: $window_rows"
if [ -z "${linux_rows:-}" ]; then
  fail "the window's kick logs the same rows as the Linux prodwell" "no Linux prodwell run above"
else
  [ "$window_rows" = "$linux_rows" ] && pass "the window's kick logs the same rows as the Linux prodwell" \
    || fail "the window's kick logs the same rows as the Linux prodwell" "Linux: $linux_rows; window: $window_rows"
fi

# A longer run: 1500 more appointments of the synchronizer user.
fresh_database "$database"
sqlite3 "$database" "WITH RECURSIVE n(i) AS (SELECT 2000 UNION ALL SELECT i + 1 FROM n WHERE i < 3499)
  INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, do_by, type)
  SELECT i, 12, 12, 1212883300 + i, 1 FROM n;
  INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment WHERE appointment_id >= 2000;"
run_answering "prodwell.exe's window counts in Label3 during a long run, and a second click starts nothing" \
  600 prodwell_window long 'C:\vendral\window\prodwell.exe' "Inserts for appointments: 1501, inserts for tasks: 2"
logged=$(sqlite3 "$database" "SELECT count(*), count(DISTINCT record_id) FROM traveltransactionlog")
[ "$logged" = "1503|1503" ] && pass "the long run logs each row once" \
  || fail "the long run logs each row once" "rows, distinct records: $logged"

# No settings file beside the program: the settings dialog is cancelled.
nosettings_dir="$install_dir/window-nosettings"
mkdir -p "$nosettings_dir"
cp "$build/prodwell.exe" "$nosettings_dir/"
fresh_database "$database"
run_answering "prodwell.exe's window after a cancelled settings dialog gives one Error box and stays usable" \
  300 prodwell_window nosettings 'C:\vendral\window-nosettings\prodwell.exe'
[ ! -e "$nosettings_dir/prodwell.ini" ] && [ -z "$(log_rows "$database")" ] \
  && pass "the cancelled settings dialog writes no settings file and nothing is logged" \
  || fail "the cancelled settings dialog writes no settings file and nothing is logged" \
    "$(ls "$nosettings_dir"); rows: $(log_rows "$database")"

unset WINEPATH

# From a console: cmd.exe runs prodwell.com for "prodwell", waits for it and
# gets its output and exit status.
cp "$build/prodwell.com" "$install_dir/"
fresh_database "$database"
out=$(timeout 300 wine cmd /c 'cd /d C:\vendral && prodwell --ini C:\vendral\crm.ini --associate 0 --kick-date 2008-06-08 && echo status %errorlevel%' \
  2>"$work/prodwell-console.err" | tr -d '\r')
if [ "$out" = "Inserts for appointments: 1, inserts for tasks: 2
status 0" ] && [ "$(log_rows "$database")" = "$expected_rows" ]; then
  pass "prodwell in a console prints the counts and returns status 0"
else
  fail "prodwell in a console prints the counts and returns status 0" \
    "output '$out', errors '$(cat "$work/prodwell-console.err")', rows: $(log_rows "$database")"
fi
out=$(timeout 300 wine cmd /c 'cd /d C:\vendral && prodwell --kick-date someday || echo status %errorlevel%' \
  2>&1 | tr -d '\r')
if grep -qE '^prodwell(\.com)?: cannot read the kick date "someday"' <<<"$out" && grep -qx 'status 2' <<<"$out"; then
  pass "prodwell in a console reports a wrong option and returns status 2"
else
  fail "prodwell in a console reports a wrong option and returns status 2" "output '$out'"
fi
