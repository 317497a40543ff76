"""The release command builds the vendor's zip: the 32-bit program and library, the sealed
settings file, the pictures and the driver folders, named with the version; beside the kit
folder the vendor tool, 32-bit and needing none of the compiler's DLLs.

`release_check.py imports` checks the zip's program instead: its import table names only
KnownDLLs and the side-by-side common controls, which the loader never takes from the
program's folder; anything else must be bound at run time from the system folder."""
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
# Windows 10/11 KnownDLLs, ntdll and kernelbase (loaded before anything else), and comctl32
# (side by side, from the manifest).
ALLOWED_IMPORTS = {
    "advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32", "gdiplus",
    "imagehlp", "imm32", "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32",
    "psapi", "rpcrt4", "sechost", "setupapi", "shcore", "shell32", "shlwapi", "user32",
    "wldap32", "ws2_32", "ntdll", "kernelbase", "comctl32"}


def kit_name():
    return f"ODAXPrintDrive-{(ROOT / 'VERSION').read_text().split()[0]}-kit"


def imported_dlls(exe):
    """The DLL names of a PE file's import table (delay-loaded ones are not in it)."""
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(exe)], capture_output=True,
                          text=True, check=True).stdout
    return re.findall(r"^\s*DLL Name: (\S+)", dump, re.M)


def check_imports():
    name = kit_name()
    archive = ROOT / "build" / "release" / f"{name}.zip"
    if not archive.exists():
        main()
    with zipfile.ZipFile(archive) as z, tempfile.TemporaryDirectory() as tmp:
        exe = Path(tmp) / "ODAXPrintDrive.exe"
        exe.write_bytes(z.read(f"{name}/ODAXPrintDrive.exe"))
        dlls = imported_dlls(exe)
    assert "kernel32.dll" in [d.lower() for d in dlls], f"no import table read: {dlls}"
    others = sorted(d for d in dlls if d.lower().rsplit(".", 1)[0] not in ALLOWED_IMPORTS)
    assert not others, f"the program imports DLLs that are not KnownDLLs: {others}"
    print(f"1 passed, 0 failed: the program imports only KnownDLLs ({', '.join(dlls)})")


def machine(data):
    """The PE header's machine field: 0x14c is 32-bit x86."""
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0", "not a PE file"
    return struct.unpack_from("<H", data, offset + 4)[0]


def main():
    run = subprocess.run(["bash", str(ROOT / "scripts" / "release.sh")], capture_output=True,
                         text=True)
    assert run.returncode == 0, run.stdout[-2000:] + run.stderr[-2000:]
    name = kit_name()
    archive = ROOT / "build" / "release" / f"{name}.zip"
    with zipfile.ZipFile(archive) as z:
        names = [n for n in z.namelist() if not n.endswith("/")]
        assert set(names) - {n for n in names if n.startswith(name + "/")} == {"odax-kit.exe"}, \
            sorted(names)
        names.remove("odax-kit.exe")
        files = {n[len(name) + 1:] for n in names}
        expected = {"ODAXPrintDrive.exe", "USBPrinterlibary.dll", "install.dat", "logo.jpg",
                    "qr.jpg", "EN/ODAXPOS.inf", "EN/ODAXLabel.inf", "CN/ODAXPOS.inf",
                    "CN/ODAXLabel.inf", "EN/ODAX.GPD", "CN/ODAX.GPD"}
        assert files == expected, sorted(files ^ expected)
        assert machine(z.read(f"{name}/ODAXPrintDrive.exe")) == 0x14C
        assert machine(z.read(f"{name}/USBPrinterlibary.dll")) == 0x14C
        settings = z.read(f"{name}/install.dat")
        # The demo's settings file is UTF-16LE with a byte-order mark; a vendor's may be ANSI.
        text = (settings[2:].decode("utf-16-le") if settings[:2] == b"\xff\xfe"
                else settings.decode("gbk"))
        assert "ConfigID=" in text and "ConfigID=\r\n" not in text
        tool = z.read("odax-kit.exe")
        assert machine(tool) == 0x14C
        with tempfile.TemporaryDirectory() as tmp:
            (Path(tmp) / "odax-kit.exe").write_bytes(tool)
            dlls = [d.lower() for d in imported_dlls(Path(tmp) / "odax-kit.exe")]
        assert "kernel32.dll" in dlls, f"no import table read: {dlls}"
        runtime = [d for d in dlls if d.startswith(("libstdc++", "libgcc", "libwinpthread"))]
        assert not runtime, f"odax-kit.exe needs the compiler's DLLs: {runtime}"
    print(f"1 passed, 0 failed: {archive.name} holds the 32-bit kit")


if __name__ == "__main__":
    try:
        check_imports() if sys.argv[1:] == ["imports"] else main()
    except AssertionError as e:
        print(f"release check failed: {e}")
        sys.exit(1)
