"""Start-up time of the wizard under Wine against a bare Win32 program with one control of each
kind the wizard uses (tools/test-window): from starting the program to its main window shown
and enabled. Both are started and watched the same way, through the end-to-end driver, one
after the other, after a first start of each that is not counted.

    python3 bench/startup_bench.py [runs]

Prints each program's median and the ratio (goal: at most 1.3). Uses the end-to-end harness's
Wine prefix (WIZ_E2E_WORK; ctest's e2e_prefix makes it) and win64 build (WIZ_WIN64_BIN).
"""
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness as h  # noqa: E402
import wizkit  # noqa: E402


def started(d, exe, name, cwd):
    """Seconds from the start request to the named main window shown and enabled."""
    begin = time.monotonic()
    pid = d.start(exe, cwd=cwd)
    hwnd = d.find_window(pid=pid, name=name, timeout=120)
    d.wait_until(lambda: d.enabled(hwnd), timeout=60, what=f"{name} enabled")
    took = time.monotonic() - begin
    d.kill(pid)
    d.wait_exit(pid, timeout=30)
    return took


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    kit = wizkit.make_kit("startup-bench")
    programs = {
        "wizard": (kit / wizkit.EXE.name, "frmMain", kit),
        "bare window": (h.WIN64_BIN / "test-window.exe", "frmTest", h.WIN64_BIN),
    }
    times = {name: [] for name in programs}
    with h.Session("startup-bench") as s:
        d = s.driver()
        for name, (exe, form, cwd) in programs.items():
            started(d, exe, form, cwd)  # the first start fills the caches of both
        for _ in range(runs):
            for name, (exe, form, cwd) in programs.items():
                times[name].append(started(d, exe, form, cwd))
    medians = {name: statistics.median(t) for name, t in times.items()}
    for name, t in times.items():
        print(f"{name:12} median {medians[name] * 1000:7.0f} ms  "
              f"(min {min(t) * 1000:.0f}, max {max(t) * 1000:.0f}, {runs} runs)")
    ratio = medians["wizard"] / medians["bare window"]
    print(f"start-up ratio wizard / bare window: {ratio:.2f} (goal: at most 1.3)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
