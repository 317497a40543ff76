#!/usr/bin/env bash
# Builds the shipped 32-bit wizard and its USB library and assembles the vendor's kit folder
# as build/release/ODAXPrintDrive-<version>-kit.zip: the program, the library, the sealed
# install.dat, the pictures and the EN/ and CN/ driver folders, ready to unpack and ship.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
for preset in win32 host; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset win32 --target ODAXPrintDrive USBPrinterlibary
cmake --build --preset host --target odax-kit

version=$(head -n 1 VERSION)
name="ODAXPrintDrive-$version-kit"
out="$root/build/release"
rm -rf "${out:?}/$name" "$out/$name.zip"
mkdir -p "$out/$name"
cp build/win32/bin/ODAXPrintDrive.exe build/win32/bin/USBPrinterlibary.dll "$out/$name/"
# The kit without the demo's simulated USB printers: a shipped kit talks to real devices.
(cd kit && find . -type f ! -name 'USBPrinterlibary.sim.txt' -exec cp --parents {} "$out/$name/" \;)
build/host/bin/odax-kit seal "$out/$name"
build/host/bin/odax-kit verify "$out/$name"
build/host/bin/odax-kit lint "$out/$name"
(cd "$out" && python3 -m zipfile -c "$name.zip" "$name/")
echo "release: $out/$name.zip"
