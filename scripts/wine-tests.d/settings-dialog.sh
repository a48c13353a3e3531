# The settings dialog of vendral.dll (sourced by scripts/wine-tests.sh, with
# its functions). settings_dialog.exe starts the VBScript clients of
# tests/windows/settings_dialog and drives the dialog with real keys and
# clicks; the colours at the points it names are read from the screenshot.

# The clients, with the suite's checks before them.
for dialog_script in "$root"/tests/windows/settings_dialog/*.vbs; do
  { cat "$root/tests/windows/vbscript/check.vbs"; cat "$dialog_script"; } | sed 's/$/\r/' \
    >"$install_dir/$(basename "$dialog_script")"
done
# No settings yet, and no settings file named after the library (Cancel then
# says that no ODBC information was entered).
rm -f "$install_dir"/{dialog,fresh,never,menu,vendral}.ini
# The help file, which the program puts beside the library for one showing.
rm -f "$install_dir/vendralhlp.mht"
cp "$root/library/settings/qt/vendralhlp.mht" "$install_dir/help-source.mht"

# Data sources for the lists: the system's (one that works, one whose driver
# is missing) and one of the user's (unixODBC's user file, the Wine registry's
# current user).
dialog_system_odbc_ini="$ODBCSYSINI/odbc.ini"
cp "$dialog_system_odbc_ini" "$work/odbc.ini.before-settings-dialog"
printf '\n[VendralBroken]\nDriver=NoSuchDriver\n' >>"$dialog_system_odbc_ini"
export ODBCINI="$work/settings-dialog-user-odbc.ini"
printf '[VendralWineUser]\nDriver=SQLite3\nDatabase=%s\n' "$database" >"$ODBCINI"
wreg add 'HKLM\Software\ODBC\odbc.ini\ODBC Data Sources' /v VendralBroken /t REG_SZ /d NoSuchDriver /f >/dev/null
wreg add 'HKCU\Software\ODBC\odbc.ini\ODBC Data Sources' /v VendralWineUser /t REG_SZ /d SQLite3 /f >/dev/null
wreg add 'HKCU\Software\ODBC\odbc.ini\VendralWineUser' /v Driver /t REG_SZ /d SQLite3 /f >/dev/null
fresh_database "$database"

# The colours the program names ("PIXEL NAME X Y RRGGBB") in a screenshot.
dialog_pixels() {  # LABEL SCREENSHOT
  local png="$work/screenshots/$2.png" line name x y colour actual problem=""
  [ -f "$png" ] || { fail "$1" "no screenshot $png"; return; }
  while read -r line; do
    read -r x y colour <<<"$(awk '{print $(NF-2), $(NF-1), $NF}' <<<"$line")"
    name=$(sed -E 's/^PIXEL (.*) [0-9]+ [0-9]+ [0-9A-F]{6}$/\1/' <<<"$line")
    actual=$(convert "$png" -crop "1x1+$x+$y" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1)
    [ "$actual" = "#$colour" ] || problem+=" $name at $x,$y is $actual, not #$colour;"
  done < <(grep '^PIXEL ' "$work/settings_dialog.out")
  grep -q '^PIXEL ' "$work/settings_dialog.out" || problem+=" no points named;"
  [ -z "$problem" ] && pass "$1" || fail "$1" "$problem"
}

run_answering "the settings dialog under a VBScript client: every layout, typed, saved, tested, cancelled" \
  900 settings_dialog showings
dialog_pixels "the settings dialog's background and white frame on the screen" \
  windows-settings-dialog-mode3-server
fresh_database "$database"
run_answering "OpenODBC_DB on a missing settings file shows the settings dialog" \
  300 settings_dialog opening
run_answering "the settings dialog loses its system menu's last two entries; Alt+F4 and the close box leave it up" \
  300 settings_dialog menu

# The data sources as they were for the tests after these.
cp "$work/odbc.ini.before-settings-dialog" "$dialog_system_odbc_ini"
unset ODBCINI
wreg delete 'HKLM\Software\ODBC\odbc.ini\ODBC Data Sources' /v VendralBroken /f >/dev/null 2>&1
rm -f "$install_dir"/{dialog,fresh,never,menu}.ini "$install_dir"/{help-source,vendralhlp}.mht
