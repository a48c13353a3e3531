# The splash screen of vendral.dll, shown by a script (cscript) for
# prodwell.exe: at each box the script shows ("Splash check"), splash_probe.exe
# reads the form from outside through the system's window calls while the
# box's message loop runs it; a screenshot gives the colours at known points;
# a real double click starts QUVEX.EXE's stand-in from %WINDIR%\SYSTEM.
# Sourced by scripts/wine-tests.sh (pass, fail, screenshot, press_on_window,
# keep_desktop, $install_dir, $work, $script_host, $root).

splash_art="$root/library/desktop/art/splash_background.png"
splash_version=$(sed -n 's/^project(vendral VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
splash_quvex="$WINEPREFIX/drive_c/windows/system/QUVEX.EXE"

# One pixel of a picture as rrggbb.
splash_pixel() {  # PICTURE X Y
  convert "$1" -format '%[hex:p{'"$2,$3"'}]' info: 2>/dev/null | tr 'A-F' 'a-f' | cut -c1-6
}

# Waits for the script's box, checks its stage, moves it off the form.
splash_box() {  # STAGE
  local read id
  read=$(wine 'C:\vendral\box_text.exe' "Splash check" 2>&1 | tr -d '\r')
  if ! grep -qx "TEXT STAGE $1" <<<"$read"; then
    echo "box for stage '$1' not there: $read"
    return 1
  fi
  id=$(timeout 60 xdotool search --sync --onlyvisible --name '^Splash check$' 2>/dev/null | head -1)
  [ -n "$id" ] && xdotool windowmove --sync "$id" 0 0 >/dev/null 2>&1
  return 0
}

splash_probe() {  # LABEL ARGS...
  local label=$1 output
  shift
  output=$(timeout 120 wine 'C:\vendral\splash_probe.exe' "$@" 2>&1 | tr -d '\r')
  echo "$output" >>"$work/splash_probe.out"
  if grep -qx 'SENTINEL splash_probe ran to its end with 0 failed checks' <<<"$output"; then
    pass "$label"
  else
    fail "$label" "$(printf '\n%s' "$output")"
  fi
  splash_last=$output
}

# The colours at known points of a screenshot of the form, whose client area
# starts at (X, Y): the picture where no control is, through the transparent
# labels beside their text, navy text, and the bar full or empty.
splash_colours() {  # SHOT X Y BAR-FILLED
  local shot=$1 x=$2 y=$3 filled=$4 px py want got problem="" navy
  for point in "20 20" "350 40" "100 122" "300 100" "390 230" "250 135" "140 150" "106 196"; do
    read -r px py <<<"$point"
    want=$(splash_pixel "$splash_art" "$px" "$py")
    got=$(splash_pixel "$shot" $((x + px)) $((y + py)))
    [ "$want" = "$got" ] || problem+=" ($px, $py) is $got, the picture has $want;"
  done
  # The text of the five labels is navy (0x00800000).
  navy=$(convert "$shot" -crop "270x82+$((x + 8))+$((y + 128))" +repage -fill white +opaque '#000080' \
    -fill black -opaque '#000080' -colorspace Gray -format '%[fx:round((1-mean)*w*h)]' info: 2>/dev/null)
  [ "${navy:-0}" -ge 50 ] || problem+=" only ${navy:-0} navy pixels in the labels;"
  # Both ends of the bar in the system's bar colour when it is full, neither
  # when it is empty.
  for px in 12 148; do
    got=$(splash_pixel "$shot" $((x + px)) $((y + 209)))
    if [ "$filled" = full ]; then
      [ "$got" = "$splash_bar" ] || problem+=" the full bar is $got at $px, not $splash_bar;"
    else
      [ -n "$got" ] && [ "$got" != "$splash_bar" ] ||
        problem+=" the empty bar is ${got:-unread} at $px;"
    fi
  done
  [ -z "$problem" ] || { echo "$problem"; return 1; }
}

: >"$work/splash_probe.out"
mkdir -p "$(dirname "$splash_quvex")"
cp "$install_dir/quvex_stand_in.exe" "$splash_quvex"
{
  cat "$root/tests/windows/vbscript/check.vbs"
  cat "$root/tests/windows/splash/splash.vbs"
} | sed 's/$/\r/' >"$install_dir/splash.vbs"
keep_desktop || echo "the desktop keeper's window did not come"
timeout 600 wine "$script_host" //nologo 'C:\vendral\splash.vbs' >"$work/splash.vbs.raw" \
  2>"$work/splash.vbs.err" &
splash_script=$!
splash_ok=true

if splash_box shown; then
  splash_probe "the splash shows prodwell.exe's name and version, its labels and an empty smooth bar" \
    shown Prodwell "$splash_version" 0
  read -r _ splash_x splash_y <<<"$(grep '^CLIENT ' <<<"$splash_last")"
  splash_form=$(sed -n 's/^FORM //p' <<<"$splash_last")
  splash_bar=$(sed -n 's/^BAR //p' <<<"$splash_last")
  screenshot windows-splash
  if [ -n "${splash_x:-}" ] && problem=$(splash_colours "$work/screenshots/windows-splash.png" \
    "$splash_x" "$splash_y" empty); then
    pass "the splash's picture, navy labels and empty bar on the screen"
  else
    fail "the splash's picture, navy labels and empty bar on the screen" "${problem:-no form}"
  fi
  # A real double click on the form, away from its controls.
  if [ -n "${splash_x:-}" ]; then
    xdotool mousemove --sync $((splash_x + 330)) $((splash_y + 180)) click --repeat 2 --delay 60 1
    if timeout 60 xdotool search --sync --onlyvisible --name '^QUVEX stand-in$' >/dev/null 2>&1; then
      pass "a double click on the splash starts QUVEX.EXE from %WINDIR%\\SYSTEM"
      screenshot windows-splash-quvex
      press_on_window "QUVEX stand-in" alt+F4 || fail "QUVEX.EXE's stand-in closes"
    else
      fail "a double click on the splash starts QUVEX.EXE from %WINDIR%\\SYSTEM"
    fi
  fi
  press_on_window "Splash check" Return || splash_ok=false
else
  splash_ok=false
fi

for step in $(seq 1 11); do
  splash_box "step $step" || { splash_ok=false; break; }
  splash_probe "LoadStep $step puts the bar at $(((step - 1) * 10))" position $(((step - 1) * 10))
  if [ "$step" = 6 ]; then screenshot windows-splash-half; fi
  if [ "$step" = 11 ]; then
    screenshot windows-splash-full
    if problem=$(splash_colours "$work/screenshots/windows-splash-full.png" "$splash_x" \
      "$splash_y" full); then
      pass "the full bar on the screen"
    else
      fail "the full bar on the screen" "$problem"
    fi
  fi
  press_on_window "Splash check" Return || splash_ok=false
done

if splash_box released; then
  splash_probe "releasing the CSplash closes the form" gone "${splash_form:-0}"
  press_on_window "Splash check" Return || splash_ok=false
else
  splash_ok=false
fi
if splash_box "no version"; then
  splash_probe "a file without version resource leaves both values empty" shown "" "" 0
  screenshot windows-splash-no-version
  splash_form=$(sed -n 's/^FORM //p' <<<"$splash_last")
  press_on_window "Splash check" Return || splash_ok=false
else
  splash_ok=false
fi
if splash_box "released again"; then
  splash_probe "releasing the second CSplash closes its form" gone "${splash_form:-0}"
  press_on_window "Splash check" Return || splash_ok=false
else
  splash_ok=false
fi

wait "$splash_script"
release_desktop
splash_output=$(tr -d '\r' <"$work/splash.vbs.raw")
echo "$splash_output" >"$work/splash.vbs.out"
if $splash_ok && grep -qx 'SENTINEL splash.vbs ran to its end with 0 failed checks' \
  <<<"$splash_output" && ! grep -q '^FAIL' <<<"$splash_output"; then
  pass "VBScript splash.vbs shows CSplash and answers each stage's box"
else
  fail "VBScript splash.vbs shows CSplash and answers each stage's box" \
    "$(printf '\n%s\n%s' "$splash_output" "$(cat "$work/splash.vbs.err")")"
fi
rm -f "$splash_quvex"

# What does not cross processes (fonts, the colours the form hands its labels,
# the icon), read in the process that shows the splash.
run_checked "the splash's labels in Tahoma 8.25 pt, navy and transparent, and its icon" 180 \
  splash_fonts 'C:\vendral\prodwell.exe'

# The progress bar as a client's window shows it (progress_bar_client --show):
# two bars of 360 x 30 pixels, one at 60 and one at 40 (counted). Wine's
# default theme draws bars in its own colours (the colours the client sets are
# kept, and read back by progress_bar_client, but not drawn), so the filled
# parts together are one bar's inside (358 x 28) in the system's bar colour.
splash_count() {  # PICTURE RRGGBB -> how many pixels have that colour
  convert "$1" -fill white +opaque "#$2" -fill black -opaque "#$2" -colorspace Gray \
    -format '%[fx:round((1-mean)*w*h)]' info: 2>/dev/null
}
keep_desktop || echo "the desktop keeper's window did not come"
wine 'C:\vendral\progress_bar_client.exe' --show >"$work/progress_bar_show.out" 2>&1 &
splash_bar_pid=$!
splash_label="the two bars on the screen filled to 60 and 40 in the system's bar colour"
# The window shows before its bars are made: the program says SHOWING once
# both are drawn.
for _ in $(seq 1 600); do
  grep -q '^SHOWING' "$work/progress_bar_show.out" 2>/dev/null && break
  kill -0 "$splash_bar_pid" 2>/dev/null || break
  sleep 0.1
done
if grep -q '^SHOWING' "$work/progress_bar_show.out" &&
  timeout 60 xdotool search --sync --onlyvisible --name '^Vendral progress bar$' >/dev/null 2>&1; then
  screenshot windows-progress-bar
  filled=$(splash_count "$work/screenshots/windows-progress-bar.png" "${splash_bar:-3096fa}")
  if [ "${filled:-0}" -ge $((358 * 28 * 97 / 100)) ] && [ "${filled:-0}" -le $((358 * 28 * 103 / 100)) ]; then
    pass "$splash_label"
  else
    fail "$splash_label" "${filled:-no} pixels in ${splash_bar:-3096fa}, expected about $((358 * 28))"
  fi
  press_on_window "Vendral progress bar" alt+F4 || fail "the progress bar's window closes"
else
  fail "$splash_label" "no window"
fi
wait "$splash_bar_pid"
release_desktop
