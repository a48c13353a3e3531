# shellcheck shell=bash disable=SC2154  # work, pass, fail: set by wine-tests.sh, which sources this
# The labelled text box and combo box of vendral.dll under Wine (sourced by
# scripts/wine-tests.sh, with its functions): brix_controls.exe places both on
# a window of its own, through their classes and by window class name, and
# asks for the real clicks, typing and screenshots it needs. Its "PIXEL SHOT X
# Y RRGGBB" lines name the colours the screenshots must show at those screen
# points.

# The colour of a screenshot at a point, as RRGGBB.
screenshot_pixel() {  # FILE X Y
  convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6
}

{
  run_answering "BrixTextBox and BrixCombo on Windows' own controls, driven by real clicks and typing" \
    300 brix_controls
  shots=0 wrong=""
  while read -r _ shot x y colour; do
    file="$work/screenshots/$shot.png"
    if [ ! -e "$file" ]; then
      wrong+=" no screenshot $shot;"
      continue
    fi
    seen=$(screenshot_pixel "$file" "$x" "$y")
    [ "$seen" = "$colour" ] || wrong+=" $shot at ($x, $y) shows ${seen:-nothing}, not $colour;"
    shots=$((shots + 1))
  done < <(grep '^PIXEL ' "$work/brix_controls.out" 2>/dev/null)
  if [ "$shots" -gt 0 ] && [ -z "$wrong" ]; then
    pass "the controls' screenshots show their colours where the design puts them ($shots points)"
  else
    fail "the controls' screenshots show their colours where the design puts them" \
      "${wrong:-no points to check}"
  fi
}
