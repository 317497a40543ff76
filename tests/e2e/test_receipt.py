"""The test receipt under Wine: the wizard installs the kit's receipt printer on a real queue
on LPT3: and prints its test receipt there, and the receipt arrives byte for byte in a file of
the test's folder.

Wine's spooler writes the jobs of a port to the Unix file named by the value of the port's
name under HKCU\\Software\\Wine\\Printing\\Spooler. The queue is made by the wizard's own run
through the rundll32 stand-in, which creates a real queue with Wine's driver on a port the
spooler lists; LPT3: is listed through Wine's local port monitor key, as the USB tests list
USB001. No network port is ever used.

Wine 8 has no code page 54936 (GB18030); there the wizard encodes Chinese in code page 936,
whose two-byte codes GB18030 shares, so the demo kit's Chinese receipt has the same bytes as
in GB18030, which the test expects.
"""
import datetime
import re
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import MODELS, Wizard  # noqa: E402

PORT = "LPT3:"
SPOOLER_KEY = r"HKCU\Software\Wine\Printing\Spooler"
RUN_TIMEOUT = 120
VERSION = (h.ROOT / "VERSION").read_text().strip()
cap = wizkit.cap

# The ESC/POS commands, written out: initialise, Chinese mode, centre, left, feed and cut.
INIT, CHINESE, CENTRE, LEFT = b"\x1b@", b"\x1c&", b"\x1ba\x01", b"\x1ba\x00"
FEED_CUT = b"\x1bd\x04\x1dVB\x00"


def printed(text, chinese, columns=48):
    """The line as the printer gets it: GB18030 in Chinese (two columns outside ASCII),
    ASCII with '?' otherwise, cut to the paper's width."""
    out, used = b"", 0
    for ch in text:
        data = ch.encode("ascii") if ord(ch) < 0x80 else (
            ch.encode("gb18030") if chinese else b"?")
        width = 2 if len(data) > 1 else 1
        if used + width > columns:
            break
        out, used = out + data, used + width
    return out


def expected_receipt(lang, when):
    settings = wizkit.read_profile((h.KIT / "install.dat").read_bytes())
    chinese = lang == "CN"
    lines = [settings["OEM"]["COMPANYNAME" + lang], MODELS[0], PORT, when,
             "ODAXPrintDrive " + VERSION, "install.dat " + settings["CONFIG"]["SOFTVER"],
             cap(88, lang)]
    body = b""
    for i, line in enumerate(lines):
        body += (CENTRE if i == 0 else b"") + printed(line, chinese) + b"\n" + (
            LEFT if i == 0 else b"")
    return INIT + (CHINESE if chinese else b"") + body + FEED_CUT


class TestReceipt(unittest.TestCase):
    def run_with_receipt(self, lang, locale):
        kit = wizkit.make_kit("receipt-" + lang, config={"TestPrint": "1", "MrPrintSet": "0"})
        out = kit / "out.prn"
        with h.Session("receipt-" + lang) as s, wizkit.local_port(s, PORT):
            wizkit.remove_queues(kit)
            added = s.run("reg", ["add", SPOOLER_KEY, "/v", PORT, "/t", "REG_SZ", "/d",
                                  str(out), "/f"], timeout=60)
            self.assertEqual(added.returncode, 0, added.stderr)
            self.addCleanup(s.run, "reg", ["delete", SPOOLER_KEY, "/v", PORT, "/f"], timeout=60)

            w = Wizard(s, kit, lang=locale)
            d = w.d
            self.assertIn(PORT, d.ports())
            w.enter("rbLPT", "tbsLpt")
            lpt = w.control("cbLpt")
            d.select(lpt, text=PORT)
            d.wait_until(lambda: d.items(lpt)["items"][d.items(lpt)["selected"]] == PORT,
                         what="LPT3: chosen")
            before = datetime.datetime.now().replace(microsecond=0)
            w.click("btnStartInstall")

            # After the verified installation, before the end message: the question.
            box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((box["title"], box["text"]), (cap(8, lang), cap(83, lang)))
            w.shot("question-" + lang.lower(), hwnd=box["hwnd"])
            d.press(box["hwnd"], h.IDYES)
            self.assertTrue(d.wait_gone(box["hwnd"], timeout=RUN_TIMEOUT))

            end = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((end["title"], end["text"]), (cap(42, lang), cap(44, lang)))
            after = datetime.datetime.now().replace(microsecond=0)
            wait = d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
            log = d.memo(w.control("mmoWait", wait))
            self.assertEqual(log[-3:], [cap(84, lang), cap(85, lang), cap(44, lang)])
            self.assertIn(cap(45, lang), log)  # the installation was verified first
            d.press(end["hwnd"], h.IDOK)
            self.assertTrue(d.wait_gone(end["hwnd"], timeout=RUN_TIMEOUT))
            d.answer(h.IDNO, pid=w.pid, timeout=RUN_TIMEOUT)  # the quit question

            queue = next(p for p in d.printers() if p["name"] == MODELS[0])
            self.assertEqual(queue["port"], PORT)

        data = out.read_bytes()
        m = re.search(rb"\n(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\n", data)
        self.assertIsNotNone(m, data)
        when = m.group(1).decode()
        printed_at = datetime.datetime.strptime(when, "%Y-%m-%d %H:%M:%S")
        self.assertTrue(before <= printed_at <= after, (before, when, after))
        self.assertEqual(data, expected_receipt(lang, when))

    def test_label_printer_gets_one_page_through_its_driver(self):
        """The label class prints through the queue's driver: Wine's PostScript driver here,
        so the port receives one PostScript page instead of ESC/POS."""
        kit = wizkit.make_kit("receipt-label", config={
            "TestPrint": "1", "MrPrintSet": "0", "PrintName": MODELS[2],
            "DefaultPrintClass": "Label"})
        out = kit / "out.prn"
        with h.Session("receipt-label") as s, wizkit.local_port(s, PORT):
            wizkit.remove_queues(kit)
            added = s.run("reg", ["add", SPOOLER_KEY, "/v", PORT, "/t", "REG_SZ", "/d",
                                  str(out), "/f"], timeout=60)
            self.assertEqual(added.returncode, 0, added.stderr)
            self.addCleanup(s.run, "reg", ["delete", SPOOLER_KEY, "/v", PORT, "/f"], timeout=60)
            w = Wizard(s, kit)
            d = w.d
            # The class buttons stay hidden and get no window: the PostScript page at the end
            # shows that the kit's label class was taken.
            w.enter("rbLPT", "tbsLpt")
            lpt = w.control("cbLpt")
            d.select(lpt, text=PORT)
            d.wait_until(lambda: d.items(lpt)["items"][d.items(lpt)["selected"]] == PORT,
                         what="LPT3: chosen")
            w.click("btnStartInstall")
            box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual(box["text"], cap(83))
            d.press(box["hwnd"], h.IDYES)
            self.assertTrue(d.wait_gone(box["hwnd"], timeout=RUN_TIMEOUT))
            end = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual(end["text"], cap(44))
            wait = d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
            self.assertEqual(d.memo(w.control("mmoWait", wait))[-3:],
                             [cap(84), cap(85), cap(44)])
            d.press(end["hwnd"], h.IDOK)
            self.assertTrue(d.wait_gone(end["hwnd"], timeout=RUN_TIMEOUT))
            d.answer(h.IDNO, pid=w.pid, timeout=RUN_TIMEOUT)
        data = out.read_bytes()
        self.assertIn(b"%!PS-Adobe", data[:200])
        self.assertIn(b"%%Title: ODAXPrintDrive test receipt", data)
        self.assertEqual(len(re.findall(rb"(?m)^%%Page: ", data)), 1)
        self.assertNotIn(INIT + CENTRE, data)  # no ESC/POS receipt went to a label printer

    def test_english_receipt_arrives_byte_for_byte(self):
        self.run_with_receipt("EN", "en_US.UTF-8")

    def test_chinese_receipt_arrives_in_gb18030(self):
        self.run_with_receipt("CN", "zh_CN.UTF-8")


if __name__ == "__main__":
    h.main()
