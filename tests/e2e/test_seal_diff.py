"""The seal computed in memory against the seal as blank-then-hash with the real profile writer.

For settings files in canonical form (CR LF line ends, no blank lines, `key=value` lines),
seal-probe.exe blanks ConfigID on a copy with the real
WritePrivateProfileStringW(L"CONFIG", L"ConfigID", L"", file) under Wine; this test hashes the
copy (MD5 of its bytes, upper-case hex) and computes lower(MD5String(OEMID + hash + "Dornel"))
with code page 936; that must equal ComputeConfigID of the original, which the same probe
computes in memory without writing the file.

Other forms (blank lines, indented comments, LF line ends, blanks around '=') are known Wine
differences: Wine 8.0 rebuilds the whole file on a write where Windows changes only the value.
For those, our blanked bytes must follow the Windows rule (only the value goes), and Wine must
still be seen to differ, so that a change on either side shows.
"""
import hashlib
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

PROBE = harness.WIN64_BIN / "seal-probe.exe"
# Code page 936 inside Wine: the kits' Chinese values are in it.
CHINESE = {"LANG": "zh_CN.UTF-8"}


def crlf(*lines):
    return "".join(line + "\r\n" for line in lines).encode("gbk")


def md5_string(text):
    """MD5String: the text in code page 936, cut to as many bytes as it has characters."""
    return hashlib.md5(text.encode("gbk")[:len(text)]).hexdigest().upper()


def trim(text):
    """Removes every character up to U+0020 at both ends."""
    b, e = 0, len(text)
    while b < e and text[b] <= " ":
        b += 1
    while e > b and text[e - 1] <= " ":
        e -= 1
    return text[b:e]


OTHER = ["[OEM]", "Name=欧达克斯", "WEB=http://example.com/驱动", "[model_POS]",
         "M1=POS-80,VID_1A2B,PID_3C4D", "M2=标签打印机 58,VID_0FE6,PID_811E", "[CN]",
         "Caption_8=提示", "Caption_17=正在查找打印机"]

# name -> (file bytes, OEMID as the profile functions read it)
CANONICAL = {
    "id-first": (crlf("[CONFIG]", "ConfigID=0123456789abcdef0123456789abcdef", "OEMID=ODAX-01",
                      "PrintName=POS-80", *OTHER), "ODAX-01"),
    "id-middle": (crlf("[CONFIG]", "OEMID=ODAX-01", "ConfigID=deadbeef", "PrintName=POS-80",
                       "USBPortAutoInstall=1", *OTHER), "ODAX-01"),
    "id-last": (crlf("[CONFIG]", "OEMID=ODAX-01", "PrintName=标签打印机 58", "ConfigID=x",
                     *OTHER), "ODAX-01"),
    "id-empty": (crlf("[CONFIG]", "OEMID=ODAX", "ConfigID=", *OTHER), "ODAX"),
    "chinese-oemid": (crlf("[CONFIG]", "OEMID=欧达克斯01", "ConfigID=0f0f", "PrintName=打印机",
                           *OTHER), "欧达克斯01"),
    "no-oemid": (crlf("[CONFIG]", "ConfigID=abc", *OTHER), ""),
    "config-last-line": (crlf(*OTHER, "[CONFIG]", "OEMID=Z", "ConfigID=abc"), "Z"),
    # Comments at the start of their line without blanks around '=': Wine keeps them as they are.
    "plain-comments": (crlf("; 设置", "[CONFIG]", ";ConfigID=old", "OEMID=C", "ConfigID=abc",
                            "; note", *OTHER), "C"),
}

# Known Wine differences: name -> (file bytes, the same bytes with only the value removed).
WINE_DIFFERENCES = {
    "blank-lines": (crlf("[CONFIG]", "OEMID=A", "", "ConfigID=abc", "", "[OEM]", "Name=中"),
                    crlf("[CONFIG]", "OEMID=A", "", "ConfigID=", "", "[OEM]", "Name=中")),
    # Wine drops the blanks before a comment and around a '=' in it.
    "comments": (crlf("  ; 设置", "[CONFIG]", "\t;ConfigID = old", "ConfigID=abc", "; x = y", "[OEM]"),
                 crlf("  ; 设置", "[CONFIG]", "\t;ConfigID = old", "ConfigID=", "; x = y", "[OEM]")),
    "lf-line-ends": ("[CONFIG]\nOEMID=A\nConfigID=abc\n[OEM]\nName=中\n".encode("gbk"),
                     "[CONFIG]\nOEMID=A\nConfigID=\n[OEM]\nName=中\n".encode("gbk")),
    "blanks-around-equals": (crlf("[CONFIG]", "OEMID = A", "ConfigID = abc ", "[OEM]"),
                             crlf("[CONFIG]", "OEMID = A", "ConfigID =", "[OEM]")),
}


def probe(*args, cwd):
    done = harness.run_windows_program(PROBE, args, cwd=cwd, timeout=120, env=CHINESE)
    out = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
    if done.returncode != 0:
        raise AssertionError(f"seal-probe {' '.join(map(str, args))}: exit {done.returncode}\n"
                             + "\n".join(out) + done.stderr.decode("utf-8", "replace"))
    return out


def computed(path, cwd):
    """acp, our blanked digest and our ConfigID for the file, as the probe reports them."""
    lines = dict(line.split(" ", 1) for line in probe("compute", harness.to_windows_path(path),
                                                      cwd=cwd))
    return lines["acp"], lines["blanked"], lines["configid"]


def blank_with_wine(path, data, cwd):
    path.write_bytes(data)
    probe("blank", harness.to_windows_path(path), cwd=cwd)
    return path.read_bytes()


class SealDiffTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        harness.ensure_prefix()
        cls.folder = harness.scratch_dir("seal-diff")

    @classmethod
    def tearDownClass(cls):
        harness.wineserver_kill()

    def test_canonical_files_seal_as_blank_then_hash_with_the_real_writer(self):
        self.assertTrue(PROBE.exists(), PROBE)
        for name, (data, oemid) in CANONICAL.items():
            with self.subTest(name):
                original = self.folder / f"{name}.dat"
                original.write_bytes(data)
                acp, ours_blanked, ours = computed(original, self.folder)
                self.assertEqual(acp, "936")
                self.assertEqual(original.read_bytes(), data, "the computation wrote the file")

                blanked = blank_with_wine(self.folder / f"{name}-wine.dat", data, self.folder)
                # The premise: in this form the real writer changes the value only.
                start = data.index(b"\nConfigID=") + len(b"\nConfigID=")
                self.assertEqual(blanked, data[:start] + data[data.index(b"\r\n", start):])

                file_digest = hashlib.md5(blanked).hexdigest().upper()
                expected = md5_string(trim(oemid) + file_digest + "Dornel").lower()
                self.assertEqual(ours_blanked, file_digest)
                self.assertEqual(ours, expected)

    def test_other_forms_change_only_the_value_where_wine_rewrites_the_file(self):
        self.assertTrue(PROBE.exists(), PROBE)
        for name, (data, value_only) in WINE_DIFFERENCES.items():
            with self.subTest(name):
                original = self.folder / f"{name}.dat"
                original.write_bytes(data)
                _, ours_blanked, ours = computed(original, self.folder)
                self.assertEqual(ours_blanked, hashlib.md5(value_only).hexdigest().upper())
                self.assertRegex(ours, "^[0-9a-f]{32}$")
                wine = blank_with_wine(self.folder / f"{name}-wine.dat", data, self.folder)
                self.assertNotEqual(wine, value_only,
                                    "Wine now changes only the value: move this form to CANONICAL")


if __name__ == "__main__":
    unittest.main()
