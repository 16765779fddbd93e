#!/usr/bin/env bash
# The demo without a display: runs the setup program on the private X display of
# scripts/with-wine.sh, saves a screenshot of its window, accepts, answers any message,
# then reports the files, the settings and the installer it finds.
#   scripts/with-wine.sh PREFIX scripts/demo-walkthrough.sh SETUP_EXE SCREENSHOT_PNG
# HDGR_E2E_DRIVER names the driver when it is not beside the setup program's build tree.
# HDGR_DEMO_UPGRADE=1 first installs an older copy (version 3.3.9, an old HaldenGrid.exe
# in c:\Program Files\Halden Grid), so the walk-through shows the upgrade run.
set -euo pipefail
setup_exe=$1
screenshot=$2
: "${WINEPREFIX:?run me inside scripts/with-wine.sh}"

driver=${HDGR_E2E_DRIVER:-$(cd "$(dirname "$setup_exe")/.." && pwd)/tests/e2e/hdgr-e2e-driver.exe}
setup_title="Halden Grid - Setup"
installer_title="Halden Grid Installer (demo)"
work_folder=$WINEPREFIX/drive_c/hdgr_temp_setup
marker_name=hdgr_demo_installer_started.txt

drive() { HDGR_E2E_TIMEOUT=${timeout:-30} wine64 "$driver" "$@"; }

# A message box titled $1, if one is up: its icon and text, then OK.
answer_message() {
  local said
  said=$(timeout=0 drive message "$1" 2>/dev/null | tr -d '\r') || return 1
  echo "   message \"$1\": ${said//$'\n'/, }"
  timeout=0 drive ok "$1" >/dev/null 2>&1 || true
}

product_folder=$WINEPREFIX/drive_c/Program\ Files/Halden\ Grid
settings='HKCU\Software\HaldenGrid\applicationSettings'
if [ -n "${HDGR_DEMO_UPGRADE:-}" ]; then
  echo "== An older copy installed: 3.3.9 in c:\Program Files\Halden Grid"
  mkdir -p "$product_folder"
  head -c 1000000 /dev/zero | tr '\0' 'Z' >"$product_folder/HaldenGrid.exe"
  wine64 reg add "$settings" /v app_path /d 'c:\Program Files\Halden Grid' /f >/dev/null 2>&1
  for v in Major:3 Minor:3 Revision:9; do
    wine64 reg add "$settings" /v "app_${v%%:*}" /d "${v#*:}" /f >/dev/null 2>&1
  done
fi

echo "== Starting $(basename "$setup_exe")"
pid=$(drive start "$setup_exe" "$setup_title" | tr -d '\r' | sed -n 's/^pid //p')
[ -n "$pid" ] || { echo "The setup window did not show." >&2; exit 1; }
sleep 1  # the first paint
import -window root "$screenshot"
echo "   window shown; screenshot: $screenshot"
echo "   controls:"
drive controls "$setup_title" | tr -d '\r' | grep -E 'Button|"(Ready|Your version)' | sed 's/^/     /'

accept=$(drive controls "$setup_title" | tr -d '\r' | sed -n 's/.* Button .* 1 1 "\(Accept terms of [a-z]*\)"$/\1/p')
if [ -z "$accept" ]; then
  echo "   the accept button is disabled (the installed copy is current): cancelling"
  drive click "$setup_title" "Cancel"
else
  echo "== Clicking \"$accept\""
  drive click "$setup_title" "$accept"
fi

# The run ends the program: by the timer after starting the installer, or after a message.
ended=""
for _ in $(seq 120); do
  if code=$(timeout=0.5 drive exit "$pid" 2>/dev/null | tr -d '\r'); then
    ended=$code
    break
  fi
  for title in "Halden Grid" "hdGR" "hdGR Setup Extraction process" "$setup_title"; do
    answer_message "$title" || true
  done
done
echo "   setup program: ${ended:-still running after a minute}"

echo "== Work folder c:\\hdgr_temp_setup"
if [ -d "$work_folder" ]; then
  (cd "$work_folder" && for f in *; do
     [ -f "$f" ] || continue
     printf '   %-16s %9d bytes  sha256 %s\n' "$f" "$(stat -c %s "$f")" "$(sha256sum "$f" | cut -d' ' -f1)"
   done
   [ -n "$(ls -A)" ] || echo "   (empty)")
else
  echo "   (none)"
fi

if [ -f "$product_folder/HaldenGrid.exe" ]; then
  echo "== Installed program c:\\Program Files\\Halden Grid\\HaldenGrid.exe"
  f=$product_folder/HaldenGrid.exe
  printf '   %9d bytes  sha256 %s\n' "$(stat -c %s "$f")" "$(sha256sum "$f" | cut -d' ' -f1)"
fi

echo "== Settings $settings"
wine64 reg query "$settings" 2>/dev/null | tr -d '\r' | grep REG_SZ |
  sed 's/^ */   /' || echo "   (none)"

echo "== Installer"
marker=$(find "$WINEPREFIX/drive_c/users" -name "$marker_name" 2>/dev/null | head -n1)
if [ -n "$marker" ]; then
  echo "   started; it noted:"
  tr -d '\r' <"$marker" | sed 's/^/     /'
else
  echo "   not started"
fi
if timeout=5 drive wait "$installer_title" 2>/dev/null; then
  import -window root "${screenshot%.png}-installer.png"
  echo "   its window \"$installer_title\" is open; screenshot: ${screenshot%.png}-installer.png"
fi
echo "== Done (the Wine prefix's processes end with this script)"
