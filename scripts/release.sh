#!/usr/bin/env bash
# Builds the shipped 32-bit wizard and its USB library and assembles the vendor's kit folder
# as build/release/ODAXPrintDrive-<version>-kit.zip: the program, the library, the sealed
# install.dat, the pictures and the EN/ and CN/ driver folders, ready to unpack and ship; beside
# the folder the vendor tool for Windows, odax-kit.exe, for the PC where packages are made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
for preset in win32 host; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset win32 --target ODAXPrintDrive USBPrinterlibary odax-kit
cmake --build --preset host --target odax-kit

version=$(head -n 1 VERSION)
name="ODAXPrintDrive-$version-kit"
out="$root/build/release"
rm -rf "${out:?}/$name" "$out/$name.zip" "$out/odax-kit.exe"
mkdir -p "$out/$name"
cp build/win32/bin/ODAXPrintDrive.exe build/win32/bin/USBPrinterlibary.dll "$out/$name/"
# The kit without the demo's simulated USB printers: a shipped kit talks to real devices.
(cd kit && find . -type f ! -name 'USBPrinterlibary.sim.txt' -exec cp --parents {} "$out/$name/" \;)
build/host/bin/odax-kit seal "$out/$name"
build/host/bin/odax-kit verify "$out/$name"
build/host/bin/odax-kit lint "$out/$name"
# The tool stays out of the kit folder, which deployment tools copy to every PC.
cp build/win32/bin/odax-kit.exe "$out/"
(cd "$out" && python3 -m zipfile -c "$name.zip" "$name/" odax-kit.exe)
echo "release: $out/$name.zip"
