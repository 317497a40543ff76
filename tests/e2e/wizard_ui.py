"""The started wizard as its user sees it: the main window, its pages and buttons, pictures of
its windows. Shared by the language, page and USB search tests."""
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402

PAGES = ["tbsWelcome", "tbsPort", "tbsNet", "tbsUSB", "tbsRs232", "tbsLpt",
         "tbsDriveNameSelect"]
MODELS = wizkit.MODELS
START_TIMEOUT = 60


def library_version():
    """GetPrinterLibVersion of our library: major*100 + minor*10 + patch of VERSION."""
    major, minor, patch = (int(p) for p in (h.ROOT / "VERSION").read_text().strip().split("."))
    return major * 100 + minor * 10 + patch


def kit_settings():
    return wizkit.read_profile((h.KIT / "install.dat").read_bytes())


class Wizard:
    """One started wizard inside a session."""

    def __init__(self, session, kit, lang="en_US.UTF-8", env=None, cwd=None):
        self.session = session
        self.kit = kit
        self.d = session.driver()
        self.process = wizkit.start(session, kit, lang, env, cwd)
        self.main = self.d.find_window(name="frmMain", timeout=START_TIMEOUT)
        # The start-up sequence ends with the language applied; Next is usable from then on.
        self.d.wait_until(lambda: self.d.enabled(self.control("btnNext")),
                          timeout=START_TIMEOUT, what="the welcome page")
        self.pid = next(w["pid"] for w in self.d.windows() if w["hwnd"] == self.main)

    def control(self, name, parent=None):
        return self.d.find(parent or self.main, name, timeout=20)

    def text(self, name):
        return self.d.text(self.control(name))

    def shown_pages(self):
        return [p for p in PAGES if self.d.visible(self.control(p))]

    def wait_page(self, page):
        self.d.wait_until(lambda: self.shown_pages() == [page], what=page)

    def enter(self, connection, page):
        """From the welcome page to a connection's page, through the model page (with the
        kit's default model) where the connection has one."""
        self.click("btnNext")
        self.wait_page("tbsPort")
        self.choose(connection)
        self.click("btnNext")
        if connection != "rbUsb":
            self.wait_page("tbsDriveNameSelect")
            self.click("btnNext")
        self.wait_page(page)

    def search_over(self):
        """Waits for the end of a USB search: the wait dialog hidden and the main window
        usable again, the search button too. Returns the wait dialog."""
        d = self.d
        wait = d.find_window(pid=self.pid, name="frmWait", visible=False, timeout=20)
        d.wait_until(lambda: not d.visible(wait), what="the wait dialog hidden")
        d.wait_until(lambda: d.enabled(self.main), what="the main window enabled")
        if not d.enabled(self.control("btnFindUSB")):
            raise AssertionError("the search button stays disabled after the search")
        return wait

    def buttons(self):
        """Enabled states of Previous, Next, Install."""
        return tuple(self.d.enabled(self.control(n))
                     for n in ("btnPrevious", "btnNext", "btnStartInstall"))

    def schedule(self):
        return self.d.progress(self.control("pbSchedule"))[0]

    def click(self, name):
        self.d.click(self.control(name))

    def choose(self, radio):
        self.click(radio)
        self.d.wait_until(lambda: self.d.checked(self.control(radio)), what=radio)

    def shot(self, name, hwnd=None):
        """A picture of one window's client area (the main window unless `hwnd`): with no
        window manager on the test display, nothing draws the frame and the title bar. Taken
        once the area has stopped changing, so that no control is caught before its paint."""
        rect = self.d.client_rect(hwnd or self.main)
        left, top, right, bottom = rect
        grab = ["import", "-display", self.session.display, "-window", "root", "-crop",
                f"{right - left}x{bottom - top}+{left}+{top}", "+repage", "rgb:-"]
        last = [None]

        def settled():
            pixels = subprocess.run(grab, check=True, capture_output=True, timeout=60).stdout
            same, last[0] = pixels == last[0], pixels
            return same

        h.wait_until(settled, timeout=10, interval=0.2, what=f"a still picture for {name}")
        return self.session.screenshot(name, rect=rect)

    def unpainted(self, hwnd=None):
        """Names of the window's visible controls that show nothing but black on the screen:
        never painted. Call it once the window is still (after `shot`)."""
        hwnd = hwnd or self.main
        left, top, right, bottom = self.d.client_rect(hwnd)
        width = right - left
        pixels = subprocess.run(
            ["import", "-display", self.session.display, "-window", "root", "-crop",
             f"{width}x{bottom - top}+{left}+{top}", "+repage", "-depth", "8", "rgb:-"],
            check=True, capture_output=True, timeout=60).stdout
        black = []
        for c in self.d.controls(hwnd):
            if not c["visible"] or not c["name"]:
                continue
            l, t, r, b = self.d.rect(c["hwnd"])
            rows = [pixels[3 * ((y - top) * width + max(l, left) - left):
                           3 * ((y - top) * width + min(r, right) - left)]
                    for y in range(max(t, top), min(b, bottom))]
            if rows and rows[0] and not any(any(row) for row in rows):
                black.append(c["name"])
        return black
