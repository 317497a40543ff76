"""Nothing planted beside the wizard or in the folder it is started from runs.

A net.exe and a rundll32.exe of someone else's (tools/stand-ins/planted.cpp: they only leave
a marker file "<name>.ran" beside themselves and fail) lie in the kit folder beside the program
and in a second folder, from which the wizard is started by its full path, as "Run as
administrator" from another folder starts it. A start-up and a whole network installation run
to their end: no marker appears, the system folder's stand-ins record every command, started
by its full path, and the wizard finds its install.dat in its own folder.

The network address is only written into the registry and the command line; nothing connects
to it.
"""
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import MODELS, Wizard  # noqa: E402

PLANTED = h.WIN64_BIN / "planted"
IP = "192.0.2.33"  # a documentation address no other test uses
RUN_TIMEOUT = 120
cap = wizkit.cap


def markers(*folders):
    return sorted(str(p) for folder in folders for p in folder.glob("*.ran"))


class Planted(h.WineTestCase):
    def forget_port(self):
        for key in wizkit.port_keys(IP):
            self.session.run("reg", ["delete", key, "/f"], timeout=60)

    def test_planted_commands_never_run(self):
        kit = wizkit.make_kit("planted", config={"MrPrintSet": "0"})
        elsewhere = h.scratch_dir("planted-elsewhere")
        for folder in (kit, elsewhere):
            for name in h.STAND_IN_NAMES:
                shutil.copy(PLANTED / name, folder)
        wizkit.remove_queues(kit)
        self.forget_port()
        self.addCleanup(self.forget_port)
        self.addCleanup(wizkit.remove_queues, kit, h.scratch_dir("planted-cleanup") / "log")
        log = kit / "commands.log"
        # Stopped, so that the window's set-up runs "net start spooler" too.
        wizkit.set_spooler(self.session, running=False)

        try:
            w = Wizard(self.session, kit, cwd=elsewhere)
        except (AssertionError, h.DriverError) as e:
            boxes = [b["text"] for b in self.driver.message_boxes()]
            self.fail(f"no welcome page when started from another folder ({e}); message boxes "
                      f"{boxes}, markers {markers(kit, elsewhere)}, "
                      f"commands {wizkit.full_commands(log)}")
        d = w.d
        self.assertEqual(d.message_boxes(w.pid), [])
        self.assertEqual(markers(kit, elsewhere), [], "a planted program ran at start-up")

        # The models come from the kit's install.dat, found in the program's folder.
        w.click("btnNext")
        w.wait_page("tbsPort")
        w.choose("rbNet")
        w.click("btnNext")
        w.wait_page("tbsDriveNameSelect")
        self.assertEqual(d.items(w.control("chkPrintSelect"))["items"], MODELS)
        w.click("btnNext")
        w.wait_page("tbsNet")
        d.wait_until(lambda: d.enabled(w.control("btnStartInstall")), what="the install button")
        d.type(IP, hwnd=w.control("meText"))
        w.click("btnStartInstall")

        port = d.answer(h.IDOK, pid=w.pid, timeout=RUN_TIMEOUT)
        self.assertEqual(port["text"], cap(59) + IP + "," + cap(32))
        end = d.answer(h.IDOK, pid=w.pid, timeout=RUN_TIMEOUT)
        self.assertEqual((end["title"], end["text"]), (cap(42), cap(44)))
        question = d.answer(h.IDNO, pid=w.pid, timeout=RUN_TIMEOUT)
        self.assertEqual(question["text"], cap(43))

        self.assertEqual(markers(kit, elsewhere), [], "a planted program ran")
        inf = h.to_windows_path(kit) + "\\EN\\ODAXPOS.inf"
        install = (f'printui.dll,PrintUIEntry /if /b "{MODELS[0]}" /f "{inf}" /r "{IP}" '
                   f'/m "{MODELS[0]}"')
        self.assertEqual(wizkit.commands(log), [
            "net start spooler", "net stop spooler", "net start spooler", "net start spooler",
            "rundll32 " + install])
        # Every command was started by its full path in the system folder.
        net = f'"{h.SYSTEM32_WIN}\\net.exe"'
        self.assertEqual(wizkit.full_commands(log), [
            f"{net} start spooler", f"{net} stop spooler", f"{net} start spooler",
            f"{net} start spooler", f'"{h.SYSTEM32_WIN}\\rundll32.exe" {install}'])
        queue = {p["name"]: p for p in d.printers()}.get(MODELS[0])
        self.assertIsNotNone(queue)
        self.assertEqual((queue["port"], queue["driver"]), (IP, MODELS[0]))


if __name__ == "__main__":
    h.main()
