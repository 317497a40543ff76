"""Our Linux profile functions against the real GetPrivateProfileStringW and
WritePrivateProfileStringW (Wine 8.0) on the same tricky files.

profile-probe runs one script of operations on Linux (EmulatedProfile) and under Wine
(the Windows build); both must print the same wherever Wine behaves as Windows does. Where
Wine 8.0 is known to differ from Windows (PROFILE-NOTES), the operation is listed with the
Windows result, which our emulation must give, and Wine's own result, so that a change on
either side shows. The Linux probe runs with the code page Wine reports.

WIZ_PROFILE_DIFF_SHOW=1 prints every operation with both results.
"""
import os
import subprocess
import sys
import unittest
import urllib.parse
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

HOST_BIN = Path(os.environ.get("WIZ_HOST_BIN", harness.ROOT / "build" / "host" / "bin"))
HOST_PROBE = HOST_BIN / "profile-probe"
WIN_PROBE = harness.WIN64_BIN / "profile-probe.exe"
VALUE = 2048  # the wizard's buffer for one value


def arg(text):
    return "-" if text is None else "'" + urllib.parse.quote(text.encode("utf-8"), safe="")


def show(text):
    """A buffer as the probe prints it: printable ASCII as is, other units as %XXXX."""
    out = []
    data = text.encode("utf-16-le")
    for i in range(0, len(data), 2):
        u = data[i] | data[i + 1] << 8
        out.append(chr(u) if 0x20 < u < 0x7F and chr(u) not in "%~" else f"%{u:04X}")
    return "".join(out)


def show_bytes(data):
    return "".join(chr(b) if 0x20 < b < 0x7F and chr(b) not in "%~" else f"%{b:02X}"
                   for b in data)


def value(text):
    """The probe's line for a value read in full: its length, the text and its NUL."""
    return f"{len(text.encode('utf-16-le')) // 2} {show(text + chr(0))}"


def listing(names, untouched=True):
    """The probe's line for a complete list: names with their NULs, the final NUL and the
    place after it, which the call leaves alone."""
    body = "".join(n + "\0" for n in names)
    return f"{len(body)} {show(body + chr(0))}{'~' if untouched else ''}"


class Op:
    def __init__(self, words, windows=None, wine=None, note=None):
        self.words = words
        self.windows = windows  # set for a known difference: what Windows gives
        self.wine = wine        # and what Wine 8.0 gives instead
        self.note = note


def get(section, key, default=None, size=VALUE, file="t.ini"):
    return Op(["get", str(size), arg(section), arg(key), arg(default), file])


def sections(size=VALUE, file="t.ini"):
    return get(None, None, None, size, file)


def keys(section, size=VALUE, file="t.ini"):
    return get(section, None, None, size, file)


def write(section, key, val, file="t.ini"):
    return Op(["write", arg(section), arg(key), arg(val), file])


def dump(file="t.ini"):
    return Op(["dump", file])


def differs(op, note, windows, wine):
    op.windows, op.wine, op.note = windows, wine, note
    return op


class Case:
    def __init__(self, name, files, ops):
        self.name, self.files, self.ops = name, files, ops


R = b"[S]\r\n"  # a common first line

CASES = [
    Case("names", {"t.ini": b"[Sec]\r\nKey=v\r\n \t[ \tTwo\x0b ]\r\n \t Key \t= \t v w \t\r\n"}, [
        get("sEC", "kEY"), get("  Sec  ", " Key  "), get("two", "key"), get("Sec", "nokey", "d"),
        get("NoSec", "Key", "d"),
        differs(get("\tSec", "Key", "d"), "2", value("d"), value("v")),
        differs(get("Sec", "Key\t", "d"), "2", value("d"), value("v")),
    ]),
    Case("values", {"t.ini": R + b"Name=a=b\r\nsemi=v ; c\r\nq1=\" a \"\r\nq2= 'a b' \r\n"
                                 b"q3=\"x'\r\nq4=\"\"x\"\"\r\nq5=\"\r\nq6=\"\"\r\nempty=\r\n"
                                 b"blank=  \t \r\nnoequals\r\n#h=3\r\n\"k\"=quoted key\r\n"
                                 b"k;x=mid\r\n"}, [
        get("S", "Name"), get("S", "semi"), get("S", "q1"), get("S", "q2"), get("S", "q3"),
        get("S", "q4"), get("S", "q5"), get("S", "q6"), get("S", "empty", "d"),
        get("S", "blank", "d"), get("S", "noequals", "d"), get("S", "#h"), get("S", '"k"'),
        get("S", "k;x"), keys("S"),
    ]),
    Case("comments", {"t.ini": R + b";c=1\r\n \t;d=2\r\nk=v\r\n"}, [
        differs(get("S", ";c", "d"), "7", value("d"), value("1")),
        differs(get("S", ";d", "d"), "7", value("d"), value("2")),
        get("S", "k"), keys("S"),
    ]),
    Case("headers", {"t.ini": b"[S]k=v\r\n[sec]x]\r\nk=1\r\n[Three   \r\nk=3\r\nFour]\r\nk=4\r\n"
                              b"[[br]\r\nk=5\r\n[;semi]\r\nk=6\r\n"}, [
        get("S", "k", "d"), get("[br", "k"), get(";semi", "k"),
        differs(get("sec", "k", "d"), "8", value("1"), value("d")),
        differs(get("sec]x", "k", "d"), "8", value("d"), value("1")),
        differs(get("Three", "k", "d"), "8", value("3"), value("d")),
        differs(sections(), "8", listing(["S", "sec", "Three", "[br", ";semi"]),
                listing(["S", "sec]x", "[br", ";semi"])),
    ]),
    Case("nosection", {"t.ini": b"k=0\r\n[S]\r\nk=1\r\n", "u.ini": b"[]\r\nk=2\r\n"}, [
        differs(get("", "k", "d"), "9", value("d"), value("0")),
        # Wine keeps the lines before the first header as a section "" of its own, which
        # hides an explicit [] behind it and is left out of the section list.
        differs(get("", "k", "d", file="u.ini"), "9", value("2"), value("d")),
        differs(sections(file="u.ini"), "9", listing([""]), "0 %0000~"),
    ]),
    Case("duplicates", {"t.ini": R + b"k=1\r\nK=2\r\n[T]\r\n[s]\r\nk=3\r\nj=4\r\n"}, [
        get("S", "k"), get("S", "j", "d"), keys("S"), sections(),
    ]),
    Case("defaults", {"t.ini": R + b"k=v\r\n"}, [
        get("S", "x", "  d  "), get("S", "x", "d\t"), get("S", "x", None),
        get("S", "k", "d", file="missing.ini"), get("S", "x", "defaults", size=4),
    ]),
    Case("sizes", {"t.ini": R + b"k=abcdef\r\nlong=" + b"x" * 3000 + b"\r\n"}, [
        get("S", "k", size=0), get("S", "k", size=1), get("S", "k", size=4),
        get("S", "k", size=6), get("S", "k", size=7), get("S", "long"),
        get("S", "long", size=3002),
    ]),
    Case("lists", {"t.ini": b"[section1]\r\n[section2]\r\n[section3]\r\n",
                   "k.ini": b"[S]\r\nkey1=1\r\nkey2=2\r\nkey3=3\r\n[E]\r\n"}, [
        sections(100), sections(29), sections(28), sections(27), sections(4), sections(3),
        sections(2), sections(1), keys("S", 100, "k.ini"), keys("S", 15, "k.ini"),
        keys("S", 14, "k.ini"), keys("E", 100, "k.ini"), keys("none", 100, "k.ini"),
        keys("S", 100, "missing.ini"), sections(100, "missing.ini"),
    ]),
    Case("lineends", {"lf.ini": b"[S]\nk=v\nj=w\n", "cr.ini": b"[S]\rk=v\rj=w",
                      "mix.ini": b"[S]\r\n\r\n\n\rj=w\r[T]\nx=1"}, [
        get("S", "j", file="lf.ini"), get("S", "j", file="cr.ini"),
        get("S", "j", file="mix.ini"), get("T", "x", file="mix.ini"),
        keys("S", file="cr.ini"),
    ]),
    Case("utf16", {"t.ini": b"\xff\xfe" + "[S]\r\nk= \u00e9\u4e2d \r\n[\u4e2d\u6587]\nk=x\n"
                   .encode("utf-16-le")}, [
        get("S", "k"), get("\u4e2d\u6587", "k"), sections(), keys("S"),
    ]),
    Case("utf8bom", {"t.ini": b"\xef\xbb\xbf[S]\r\nk=v\r\n[T]\r\nk=w\r\n"}, [
        differs(get("S", "k", "d"), "15", value("d"), value("v")), get("T", "k"),
    ]),
    Case("ansi", {"t.ini": b"[\xc9T\xc9]\r\nk=caf\xe9\r\n"}, [
        get("\u00c9T\u00c9", "k"), sections(),
        # Not among the notes: Windows compares names with its full case table, Wine 8.0
        # folds only the ASCII letters.
        differs(get("\u00e9t\u00e9", "k", "d"), "1", value("caf\u00e9"), value("d")),
    ]),
    # Writes. Wine rebuilds the whole file on every write, so files compare byte for byte
    # only where they are already in the form Wine writes; elsewhere the values read back
    # must agree and the bytes are the Windows ones.
    Case("write", {"t.ini": b"[S]\r\nkey=v\r\nz=1\r\n[T]\r\na=1\r\n"}, [
        write("s", "KEY", "v2"), write("T", "b", "2"), write("U", "k", "v"),
        write(" T ", "  c  ", "x"), write("S", "z", None), dump(),
        get("S", "key"), get("T", "b"), get("T", "c"), get("U", "k"), get("S", "z", "d"),
        write("T", None, None), dump(), sections(),
        write(None, None, None), dump(),
    ]),
    Case("writevalue", {"t.ini": R + b"k=v\r\n"}, [
        differs(write("S", "k", "  'x'  "), "23", "1", "1"),
        differs(dump(), "23", show_bytes(R + b"k=  'x'  \r\n"), show_bytes(R + b"k='x'  \r\n")),
        get("S", "k"),
        write("S", "k", ""), get("S", "k", "d"), keys("S"),
    ]),
    Case("newfile", {}, [
        write("S", "k", "v", "new.ini"), dump("new.ini"),
        write("S", "k", None, "none.ini"), dump("none.ini"),
    ]),
    Case("keepbytes", {"t.ini": b"; top\r\n[S]\r\n  Key  =  old  \r\na=1\r\n; note\r\n\r\n"
                                b"[T]\nx=1\nlast=1"}, [
        write("S", "key", "new"), write("S", "b", "2"), write("T", "last", "2"),
        differs(dump(), "18-20",
                show_bytes(b"; top\r\n[S]\r\n  Key  =new\r\na=1\r\nb=2\r\n; note\r\n\r\n"
                           b"[T]\nx=1\nlast=2\r\n"),
                show_bytes(b"; top\r\n[S]\r\nKey=new\r\na=1\r\n; note\r\nb=2\r\n"
                           b"[T]\r\nx=1\r\nlast=2\r\n")),
        get("S", "key"), get("S", "b"), get("T", "last"), keys("S"),
    ]),
    Case("lineendwrite", {"t.ini": b"[S]\rk=v\rj=1"}, [
        write("S", "k", "w"),
        differs(dump(), "19", show_bytes(b"[S]\rk=w\rj=1"), show_bytes(b"[S]\r\nk=w\r\nj=1\r\n")),
        get("S", "k"), get("S", "j"),
    ]),
    Case("deletes", {"t.ini": b"; c0\r\n[S]\r\na=1\r\n; c1\r\nb=2\r\n[T]\r\nx=1\r\ny=2\r\n"}, [
        write("T", "x", None), write("S", None, None),
        # Wine keeps a section's comments as its lines and deletes them with it.
        differs(dump(), "24", show_bytes(b"; c0\r\n; c1\r\n[T]\r\ny=2\r\n"),
                show_bytes(b"; c0\r\n[T]\r\ny=2\r\n")),
        sections(), keys("T"),
    ]),
    # A line without '=' is part of the section it stands in and goes with it.
    Case("deleteloose", {"t.ini": b"[S]\r\na=1\r\nloose\r\n[T]\r\nx=1\r\n"}, [
        write("S", None, None), dump(), sections(), get("T", "x"),
    ]),
    Case("utf16write", {"t.ini": b"\xff\xfe" + "[S]\r\nk=v\r\n".encode("utf-16-le")}, [
        write("S", "k", "\u4e2d"), write("T", "j", "\u00e9"), dump(),
        get("S", "k"), get("T", "j"),
    ]),
]


def script_for(case):
    lines = []
    for op in case.ops:
        words = list(op.words)
        words[-1] = arg(f".\\{case.name}-{words[-1]}")
        lines.append(" ".join(words))
    return lines


def run_probe(command, cwd):
    """The probe's result lines; the Windows one runs under Wine."""
    if str(command[0]).endswith(".exe"):
        done = harness.run_windows_program(command[0], command[1:], cwd=cwd, timeout=300)
    else:
        done = subprocess.run(command, cwd=cwd, capture_output=True, timeout=300)
    out = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
    if done.returncode != 0:
        raise AssertionError(f"{command[0]} exit {done.returncode}\n" + "\n".join(out) +
                             done.stderr.decode("utf-8", "replace"))
    return out


class ProfileDiffTest(unittest.TestCase):
    @classmethod
    def tearDownClass(cls):
        harness.wineserver_kill()

    def test_emulation_matches_the_real_profile_functions(self):
        self.assertTrue(HOST_PROBE.exists(), HOST_PROBE)
        self.assertTrue(WIN_PROBE.exists(), WIN_PROBE)
        folders = {side: harness.scratch_dir(f"profile-diff-{side}") for side in ("host", "wine")}
        script = ["acp"]
        for case in CASES:
            for name, data in case.files.items():
                for folder in folders.values():
                    (folder / f"{case.name}-{name}").write_bytes(data)
            script += script_for(case)
        for folder in folders.values():
            (folder / "script.txt").write_text("\n".join(script) + "\n")

        wine = run_probe([WIN_PROBE, "script.txt"], folders["wine"])
        host = run_probe([HOST_PROBE, "--codepage", wine[0], "script.txt"], folders["host"])
        self.assertEqual(len(wine), len(script), wine)
        self.assertEqual(len(host), len(script), host)
        self.assertEqual(host[0], wine[0])

        problems = []
        i = 1
        for case in CASES:
            for op in case.ops:
                h, w = host[i], wine[i]
                where = f"{case.name}: {script[i]}"
                i += 1
                if os.environ.get("WIZ_PROFILE_DIFF_SHOW"):
                    print(f"{where}\n  host {h}\n  wine {w}")
                if op.windows is None:
                    if h != w:
                        problems.append(f"{where}\n  host {h}\n  wine {w}")
                    continue
                if h != op.windows:
                    problems.append(f"{where} (note {op.note})\n  host    {h}\n"
                                    f"  windows {op.windows}")
                # A listed difference must still be one, and be the one recorded.
                if op.wine is not None and w != op.wine:
                    problems.append(f"{where} (note {op.note})\n  wine     {w}\n"
                                    f"  expected {op.wine}")
                if op.wine is None and w == h and h != op.windows:
                    problems.append(f"{where}: listed as a difference, but Wine agrees")
        self.assertEqual(problems, [], "\n" + "\n".join(problems))


if __name__ == "__main__":
    unittest.main()
