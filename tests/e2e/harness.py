"""End-to-end harness: runs the 64-bit Windows build under Wine in a throw-away prefix.

The prefix is made once per test run (`python3 harness.py prepare`, the ctest fixture) under
WIZ_E2E_WORK. Tests import this module; every process they start through it is ended by it.
"""
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WORK = Path(os.environ.get("WIZ_E2E_WORK", ROOT / "build" / "host" / "e2e"))
PREFIX = WORK / "prefix"
WIN64_BIN = Path(os.environ.get("WIZ_WIN64_BIN", ROOT / "build" / "win64" / "bin"))
KIT = ROOT / "kit"


def wine_env(extra=None):
    """Environment for a Wine process in the test prefix."""
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(PREFIX),
        "WINEDEBUG": "-all",
        # No Mono or Gecko installers: the prefix is made without network.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "LANG": env.get("WIZ_LANG", "en_US.UTF-8"),
    })
    if extra:
        env.update(extra)
    return env


def to_windows_path(path):
    """A Linux path as Wine's Z: drive sees it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wineserver_kill():
    subprocess.run(["wineserver", "-k"], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    subprocess.run(["wineserver", "-w"], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def prepare():
    """Makes a fresh prefix for this test run."""
    if PREFIX.exists():
        wineserver_kill()
        shutil.rmtree(PREFIX)
    WORK.mkdir(parents=True, exist_ok=True)
    subprocess.run(["wineboot", "-i"], env=wine_env(), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300)
    subprocess.run(["wineserver", "-w"], env=wine_env(), timeout=300)


def run_windows_program(exe, args=(), cwd=None, timeout=120, env=None):
    """Runs a Windows console program to its end; returns the CompletedProcess."""
    return subprocess.run(["wine", str(exe), *args], cwd=cwd, env=wine_env(env),
                          capture_output=True, timeout=timeout)


def scratch_dir(name):
    """A fresh folder under the work area for one test."""
    d = WORK / "scratch" / name
    if d.exists():
        shutil.rmtree(d)
    d.mkdir(parents=True)
    return d


if __name__ == "__main__":
    if sys.argv[1:] == ["prepare"]:
        t = time.time()
        prepare()
        print(f"wine prefix ready in {time.time() - t:.1f} s: {PREFIX}")
    else:
        sys.exit("usage: harness.py prepare")
