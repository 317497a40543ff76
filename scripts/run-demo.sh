#!/usr/bin/env bash
# Builds the 64-bit wizard and starts it under Wine on the demo kit, the way a user starts
# it from the kit folder. Without a display it runs on a private Xvfb display and saves a
# screenshot to build/demo/screenshot.png after a few seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64

demo="$root/build/demo"
export WINEPREFIX="$demo/prefix" WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$demo"
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1

# The kit folder: settings, pictures, driver folders, the program and its USB library,
# sealed by the vendor tool. Wine's own printui.dll cannot install drivers, so the
# command-recording stand-ins (net.exe, rundll32.exe) go beside the program: they create the
# queue through the spooler and log every command to commands.log.
rm -rf "$demo/kit"
cp -r kit "$demo/kit"
cp build/win64/bin/ODAXPrintDrive.exe build/win64/bin/USBPrinterlibary.dll "$demo/kit/"
cp build/win64/bin/stand-ins/*.exe "$demo/kit/"
wine build/win64/bin/odax-kit.exe seal "$(winepath -w "$demo/kit" 2>/dev/null)"
# Local ports named like the simulated USB printers' ports, so that the spooler lists them.
for port in USB001 USB002; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' /v "$port" /t REG_SZ /d "" /f >/dev/null 2>&1 || true
done
program=ODAXPrintDrive.exe

cd "$demo/kit"
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:97
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  sleep 1
  wine "$program" &
  app=$!
  sleep "${DEMO_SECONDS:-8}"
  import -window root "$demo/screenshot.png" && echo "screenshot: $demo/screenshot.png"
  kill "$app" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
else
  exec wine "$program"
fi
