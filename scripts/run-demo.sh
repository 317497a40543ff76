#!/usr/bin/env bash
# Builds the 64-bit wizard and starts it under Wine on the demo kit, the way a user starts
# it from the kit folder. Without a display it runs on a private Xvfb display and saves a
# screenshot to build/demo/screenshot.png once the wizard's window is shown.
# LANG=zh_CN.UTF-8 starts it in Chinese.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64

demo="$root/build/demo"
# net.exe and rundll32.exe of the prefix are the stand-ins (below): native, not Wine's own.
export WINEPREFIX="$demo/prefix" WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;net.exe=n;rundll32.exe=n"
mkdir -p "$demo"

headless=
if [ -z "${DISPLAY:-}" ]; then
  # Every Wine process must see the same display: start it before the first one.
  headless=1
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$demo/display" 2>/dev/null &
  xvfb=$!
  trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -s "$demo/display" ] && break; sleep 0.2; done
  export DISPLAY=":$(head -n 1 "$demo/display")"
fi
# The prefix is made with Wine's own rundll32 (its set-up runs it), before the stand-ins.
[ -f "$WINEPREFIX/system.reg" ] || WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
# "中文" and Chinese captions in an English session: let Tahoma fall back to WenQuanYi.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
  /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true

# The kit folder: settings, pictures, driver folders, the program and its USB library,
# sealed by the vendor tool. Wine's own printui.dll cannot install drivers, so the
# command-recording stand-ins (net.exe, rundll32.exe) replace the prefix's system commands,
# which the program runs: they create the queue through the spooler and log every command to
# the kit's commands.log.
rm -rf "$demo/kit"
cp -r kit "$demo/kit"
cp build/win64/bin/ODAXPrintDrive.exe build/win64/bin/USBPrinterlibary.dll "$demo/kit/"
cp build/win64/bin/stand-ins/*.exe "$WINEPREFIX/drive_c/windows/system32/"
export WIZ_COMMANDS_LOG="$(winepath -w "$demo/kit")\\commands.log"
wine build/win64/bin/odax-kit.exe seal "$(winepath -w "$demo/kit")"
# Local ports named like the simulated USB printers' ports, so that the spooler lists them.
for port in USB001 USB002; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' /v "$port" /t REG_SZ /d "" /f >/dev/null 2>&1 || true
done

cd "$demo/kit"
if [ -n "$headless" ]; then
  wine ODAXPrintDrive.exe &
  # The first start of a new prefix takes much longer than later ones: wait for the main
  # window itself (the test driver finds it by name), then give it a moment to paint.
  found=$(echo '{"cmd":"find_window","name":"frmMain","timeout_ms":180000,"seq":1}' |
          timeout 240 wine "$root/build/win64/bin/wizdriver.exe" 2>/dev/null | head -n 1 || true)
  case "$found" in
    *'"ok":true'*|*'"ok": true'*) ;;
    *) echo "run-demo: the wizard's window did not appear within 180 s (driver: ${found:-no answer})" >&2
       exit 1 ;;
  esac
  sleep "${DEMO_SECONDS:-2}"
  import -window root "$demo/screenshot.png" && echo "screenshot: $demo/screenshot.png"
else
  exec wine ODAXPrintDrive.exe
fi
