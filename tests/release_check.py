"""The release command builds the vendor's zip: the 32-bit program and library, the sealed
settings file, the pictures and the driver folders, named with the version."""
import struct
import subprocess
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]


def machine(data):
    """The PE header's machine field: 0x14c is 32-bit x86."""
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0", "not a PE file"
    return struct.unpack_from("<H", data, offset + 4)[0]


def main():
    version = (ROOT / "VERSION").read_text().split()[0]
    run = subprocess.run(["bash", str(ROOT / "scripts" / "release.sh")], capture_output=True,
                         text=True)
    assert run.returncode == 0, run.stdout[-2000:] + run.stderr[-2000:]
    name = f"ODAXPrintDrive-{version}-kit"
    archive = ROOT / "build" / "release" / f"{name}.zip"
    with zipfile.ZipFile(archive) as z:
        files = {n[len(name) + 1:] for n in z.namelist() if not n.endswith("/")}
        expected = {"ODAXPrintDrive.exe", "USBPrinterlibary.dll", "install.dat", "logo.jpg",
                    "qr.jpg", "EN/ODAXPOS.inf", "EN/ODAXLabel.inf", "CN/ODAXPOS.inf",
                    "CN/ODAXLabel.inf"}
        assert files == expected, sorted(files ^ expected)
        assert machine(z.read(f"{name}/ODAXPrintDrive.exe")) == 0x14C
        assert machine(z.read(f"{name}/USBPrinterlibary.dll")) == 0x14C
        settings = z.read(f"{name}/install.dat")
        assert b"ConfigID=" in settings and b"ConfigID=\r\n" not in settings
    print(f"1 passed, 0 failed: {archive.name} holds the 32-bit kit")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as e:
        print(f"release check failed: {e}")
        sys.exit(1)
