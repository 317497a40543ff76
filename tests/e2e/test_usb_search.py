"""The USB search of the wizard under Wine, on printers of the USB library's simulation file.

Wine has no USB printers and no USB ports. The printer comes from USBPrinterlibary.sim.txt
beside the library; the port from the registry: a value named USB001 under
HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports makes Wine's local port monitor
list a port USB001. Wine's spooler runs inside each program (winspool calls localspl in the
process), and the local port monitor reads that key on every EnumPorts call, so neither a
spooler restart nor a new program is needed: the value is added before the wizard starts and
the driver's port list shows it at once (checked below), as the wizard's port lists do.
"""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import MODELS, Wizard  # noqa: E402

PORT = "USB001"
RUN_TIMEOUT = 120
cap = wizkit.cap


class UsbSearch(unittest.TestCase):
    def prepare(self, kit, simulated):
        """The simulated printers beside the library, and no queue of the kit's models left
        from another test."""
        (kit / "USBPrinterlibary.sim.txt").write_text(simulated, encoding="utf-8")
        wizkit.remove_queues(kit)

    def test_found_printer_is_selected_and_installed(self):
        # A short run: no default-printer question; the quit question is answered No.
        kit = wizkit.make_kit("usb-found", config={"MrPrintSet": "0"})
        with h.Session("usb-found") as s, wizkit.local_port(s, PORT):
            self.prepare(kit, "# port VID PID\nUSB001 1A2B 3C4D SN-0001 Receipt printer\n"
                                 "USB002,VID_1A2B,PID_5E6F\n")
            w = Wizard(s, kit)
            d = w.d
            self.assertIn(PORT, d.ports())
            w.enter("rbUsb", "tbsUSB")

            # The search runs on entering the page (USBPortAutoInstall 1 in the kit).
            found = cap(27) + MODELS[0] + "," + PORT
            box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((box["title"], box["text"]), (cap(8), found))
            wait = d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
            log = d.memo(w.control("mmoWait", wait))
            self.assertEqual(log[:4], [cap(41), cap(40), cap(39), "   USB001,VID_1A2B,PID_3C4D"])
            self.assertIn(cap(36) + MODELS[0], log)
            self.assertEqual(log[-1], found)
            self.assertEqual(d.progress(w.control("pbWait", wait))[0], 8)
            d.press(box["hwnd"], h.IDOK)
            w.search_over()

            usb = d.items(w.control("cbUSB"))
            self.assertEqual(usb["items"][usb["selected"]], PORT)
            self.assertEqual(w.text("lblUSBPrompt"), found)
            self.assertEqual(d.status(w.control("StatusBar1"))[1].strip(),
                             cap(27) + MODELS[0] + ":" + PORT)
            self.assertTrue(d.enabled(w.control("btnStartInstall")))
            self.assertEqual(w.buttons(), (True, False, True))
            w.shot("usb-found")

            # The installation run: driver and queue on the found port.
            w.click("btnStartInstall")
            end = d.answer(h.IDOK, pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((end["title"], end["text"]), (cap(42), cap(44)))
            quit_question = d.answer(h.IDNO, pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual(quit_question["text"], cap(43))
            d.wait_until(lambda: d.enabled(w.control("btnStartInstall")), timeout=RUN_TIMEOUT,
                         what="the end of the run")
            folder = h.to_windows_path(kit) + "\\"
            self.assertEqual(
                wizkit.commands(kit / "commands.log")[-1],
                f'rundll32 printui.dll,PrintUIEntry /if /b "{MODELS[0]}" '
                f'/f "{folder}EN\\ODAXPOS.inf" /r "{PORT}" /m "{MODELS[0]}"')
            queues = {p["name"]: p for p in d.printers()}
            self.assertIn(MODELS[0], queues)
            self.assertEqual((queues[MODELS[0]]["port"], queues[MODELS[0]]["driver"]),
                             (PORT, MODELS[0]))

            # The main window is usable while the result box is up: a user who goes back
            # meanwhile finds the connection page's buttons, not an install button.
            w.click("btnPrevious")
            w.wait_page("tbsPort")
            w.click("btnNext")
            w.wait_page("tbsUSB")
            box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual(box["text"], found)
            self.assertTrue(d.enabled(w.main))
            w.click("btnPrevious")
            w.wait_page("tbsPort")
            d.press(box["hwnd"], h.IDOK)
            w.search_over()
            self.assertEqual(w.buttons(), (True, True, False))
            wizkit.remove_queues(kit)

    def test_unknown_printer_is_not_found(self):
        # In Chinese: the kit's captions are in code page 936, which the profile functions
        # read right only where it is the system's ANSI code page.
        cn = wizkit.captions("CN")
        kit = wizkit.make_kit("usb-unknown")
        with h.Session("usb-unknown") as s, wizkit.local_port(s, PORT):
            self.prepare(kit, "USB001 FFFF 0001 someone else's printer\n")
            w = Wizard(s, kit, "zh_CN.UTF-8")
            d = w.d
            w.enter("rbUsb", "tbsUSB")
            box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((box["title"], box["text"]), (cn["CAPTION_8"], cn["CAPTION_25"]))
            wait = d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
            self.assertEqual(d.text(wait), cn["CAPTION_17"])
            log = d.memo(w.control("mmoWait", wait))
            self.assertIn("   USB001,VID_FFFF,PID_0001", log)
            self.assertFalse(any(line.startswith(cn["CAPTION_37"]) for line in log), log)
            self.assertEqual(log[-2:], [cn["CAPTION_35"], cn["CAPTION_25"]])
            link = w.control("lblLog", wait)
            self.assertTrue(d.visible(link))
            self.assertEqual(d.text(link), cn["CAPTION_82"])
            w.shot("usb-not-found-cn", wait)
            self.assertEqual(w.unpainted(wait), [])
            d.press(box["hwnd"], h.IDOK)
            w.search_over()
            self.assertEqual(w.text("lblUSBPrompt"), cn["CAPTION_23"])
            self.assertEqual(d.status(w.control("StatusBar1"))[1].strip(), cn["CAPTION_24"])
            self.assertFalse(d.enabled(w.control("btnStartInstall")))
            self.assertEqual(d.message_boxes(w.pid), [])
            self.assertFalse(any(line.startswith("rundll32")
                                 for line in wizkit.commands(kit / "commands.log")))

            # A language switch gives the search's texts back to the captions of the language.
            w.choose("rbEnglish")
            d.wait_until(lambda: w.text("lblUSBPrompt") == cap(9), what="the prompt")
            self.assertEqual(d.status(w.control("StatusBar1"))[1].strip(), cap(18))
            self.assertFalse(d.enabled(w.control("btnStartInstall")))


if __name__ == "__main__":
    h.main()
