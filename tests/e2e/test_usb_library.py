"""USBPrinterlibary.dll under Wine, called through usblib-probe.exe as the wizard calls it
(LoadLibraryW, GetProcAddress by name). Wine has no USB printers: the printers come from the
simulation file beside the DLL."""
import json
import shutil
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

DLL = harness.WIN64_BIN / "USBPrinterlibary.dll"
PROBE = harness.WIN64_BIN / "usblib-probe.exe"
SIM_FILE = "USBPrinterlibary.sim.txt"
ANSWER_SIZE = 255


def library_version():
    major, minor, patch = (int(x) for x in (harness.ROOT / "VERSION").read_text().split(".")[:3])
    return major * 100 + minor * 10 + patch


def make_folder(name, sim_text=None):
    """A scratch folder holding the DLL and the probe, and the simulation file if given."""
    folder = harness.scratch_dir("usblib-" + name)
    shutil.copy(DLL, folder)
    shutil.copy(PROBE, folder)
    if sim_text is not None:
        (folder / SIM_FILE).write_bytes(sim_text.encode("utf-8"))
    return folder


def run_probe(cwd, dll_arg=None):
    """Runs the probe copy in `cwd`; returns its answers by call name. Without `dll_arg` it
    loads .\\USBPrinterlibary.dll, which LoadLibraryW looks for in the program's folder first,
    so the probe must lie beside the DLL under test as the wizard does."""
    args = [harness.to_windows_path(dll_arg)] if dll_arg else []
    done = harness.run_windows_program(Path(cwd) / PROBE.name, args, cwd=cwd)
    out = done.stdout.decode("utf-8", "replace")
    if done.returncode != 0:
        raise AssertionError(f"probe exit {done.returncode}\n{out}\n"
                             f"{done.stderr.decode('utf-8', 'replace')}")
    answers = {}
    for line in out.splitlines():
        if line.strip():
            obj = json.loads(line)
            answers[obj.get("call", "load")] = obj
    return answers


class UsbLibraryTest(unittest.TestCase):
    @classmethod
    def tearDownClass(cls):
        harness.wineserver_kill()

    def assertListWithinAnswerBuffer(self, answer, separator=";"):
        self.assertTrue(answer["terminated"], answer)
        self.assertTrue(answer["canary_intact"], answer)
        self.assertLessEqual(answer["bytes_touched"], ANSWER_SIZE, answer)
        # Nothing after the terminating zero is touched.
        self.assertEqual(answer["bytes_touched"], len(answer["text"]) + 1, answer)
        entries = [e for e in answer["text"].split(separator) if e]
        return entries

    def test_two_simulated_printers_are_reported(self):
        folder = make_folder("two", "# two demo printers\r\n"
                                    "USB001 1A2B 3C4D SN-0001 Receipt printer\r\n"
                                    "\r\n"
                                    "USB002, vid_0fe6, pid_811e\r\n")
        a = run_probe(folder)
        self.assertTrue(all(a["load"]["exports"].values()), a["load"])

        names = a["GetUSBPortNameList"]
        self.assertTrue(names["result"])
        self.assertEqual(names["count"], 2)
        self.assertEqual(names["text"], "USB001,VID_1A2B,PID_3C4D;USB002,VID_0FE6,PID_811E")
        self.assertListWithinAnswerBuffer(names)

        ports = a["GetUSBPortList"]
        self.assertEqual((ports["result"], ports["count"], ports["text"]),
                         (True, 2, "USB001;USB002"))
        self.assertEqual((a["GetUSBPort"]["result"], a["GetUSBPort"]["text"]), (True, "USB001"))
        vids = a["GetPrinterVIDList"]
        self.assertEqual((vids["result"], vids["text"]), (2, "VID_1A2B&PID_3C4D;VID_0FE6&PID_811E"))

        version = a["GetPrinterLibVersion"]
        self.assertEqual(version["value"], library_version())
        self.assertEqual(version["result"], library_version())

        # The first printer's port takes data; the capture file beside the DLL receives it.
        s = a["session"]
        self.assertEqual((s["open"], s["open_again"]), (1, 1), s)
        self.assertEqual((s["send_null"], s["send_negative"], s["send_empty"]), (-1, -1, 0), s)
        self.assertEqual(s["send"], len("probe data\r\n"), s)
        self.assertEqual((s["status"], s["status_value"], s["status_text"]), (1, 0x18, "READY"), s)
        self.assertEqual((s["close"], s["close_again"], s["send_after_close"]), (1, 0, -1), s)
        self.assertEqual((folder / "USBPrinterlibary.USB001.out").read_bytes(), b"probe data\r\n")

        # A second run appends to the capture instead of replacing it.
        run_probe(folder)
        self.assertEqual((folder / "USBPrinterlibary.USB001.out").read_bytes(),
                         b"probe data\r\n" * 2)

    def test_forty_printers_never_overrun_the_255_byte_buffer(self):
        lines = [f"USB{i:03d} {0x1A00 + i:04X} {0x3C00 + i:04x} serial-{i}" for i in range(1, 41)]
        a = run_probe(make_folder("forty", "\n".join(lines) + "\n"))
        for call in ("GetUSBPortNameList", "GetUSBPortList"):
            answer = a[call]
            entries = self.assertListWithinAnswerBuffer(answer)
            self.assertTrue(answer["result"], answer)
            self.assertEqual(answer["count"], len(entries), answer)
            # Whole entries only, in the file's order.
            for i, entry in enumerate(entries, start=1):
                self.assertTrue(entry.startswith(f"USB{i:03d}"), entry)
        names = a["GetUSBPortNameList"]
        self.assertEqual(names["count"], 10)  # 24-byte entries: ten and nine separators fit
        self.assertEqual(names["text"].split(";")[9], "USB010,VID_1A0A,PID_3C0A")
        self.assertEqual(a["GetUSBPortList"]["count"], 36)  # 6-byte entries: 36 * 7 - 1 = 251
        vids = a["GetPrinterVIDList"]
        self.assertEqual(vids["result"], len(self.assertListWithinAnswerBuffer(vids)))

    def test_without_a_simulation_file_no_printer_is_reported(self):
        a = run_probe(make_folder("none"))
        names = a["GetUSBPortNameList"]
        self.assertEqual((names["result"], names["count"], names["text"]), (True, 0, ""))
        self.assertEqual(names["bytes_touched"], 1)  # only the terminating zero
        self.assertEqual((a["GetUSBPortList"]["count"], a["GetUSBPortList"]["text"]), (0, ""))
        self.assertEqual((a["GetUSBPort"]["result"], a["GetUSBPort"]["text"]), (False, ""))
        self.assertEqual(a["GetPrinterVIDList"]["result"], 0)
        self.assertEqual(a["GetPrinterLibVersion"]["value"], library_version())
        s = a["session"]
        self.assertEqual((s["open"], s["send"], s["status"], s["status_text"], s["close"]),
                         (0, -1, 0, "", 0), s)

    def test_bad_arguments_are_answered_with_failures(self):
        for name, sim in (("bad-none", None), ("bad-sim", "USB001 1A2B 3C4D\n")):
            with self.subTest(name):
                bad = run_probe(make_folder(name, sim))["bad-arguments"]
                self.assertEqual(
                    (bad["namelist_null_null"], bad["namelist_null_count"],
                     bad["namelist_null_count_value"], bad["namelist_buffer_null"],
                     bad["portlist_null_null"], bad["port_null"]),
                    (False, False, 0, False, False, False), bad)
                self.assertEqual((bad["vidlist_null"], bad["vidlist_negative"],
                                  bad["vidlist_zero"]), (-1, -1, -1), bad)
                self.assertEqual(bad["version_null"], library_version())
                self.assertEqual((bad["status_null_null"], bad["send_closed"], bad["send_null"],
                                  bad["send_negative"], bad["close_unopened"]),
                                 (0, -1, -1, -1, 0), bad)
                # The calls that had a buffer but no count only cleared its first byte.
                self.assertEqual((bad["text"], bad["bytes_touched"]), ("", 1), bad)

    def test_the_simulation_file_is_found_beside_the_dll_not_in_the_working_folder(self):
        beside = make_folder("beside", "USB007 1A2B 3C4D\n")
        elsewhere = harness.scratch_dir("usblib-elsewhere")
        (elsewhere / SIM_FILE).write_text("USB009 FFFF FFFF\n")
        shutil.copy(PROBE, elsewhere)
        a = run_probe(elsewhere, dll_arg=beside / "USBPrinterlibary.dll")
        self.assertEqual(a["GetUSBPortNameList"]["text"], "USB007,VID_1A2B,PID_3C4D")


if __name__ == "__main__":
    unittest.main()
