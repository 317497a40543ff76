"""check_exports.py OBJDUMP DLL DEF: the DLL exports exactly the names the .def file lists,
undecorated (no stdcall "@n"). Exit 77 (skipped) when the DLL has not been built."""
import re
import subprocess
import sys
from pathlib import Path


def def_names(def_file):
    names, in_exports = [], False
    for line in Path(def_file).read_text().splitlines():
        line = line.split(";", 1)[0].strip()
        if not line:
            continue
        if line.upper() == "EXPORTS":
            in_exports = True
        elif in_exports:
            names.append(line.split()[0])
    return names


def exported_names(objdump, dll):
    out = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    table = out.split("[Ordinal/Name Pointer] Table", 1)
    if len(table) < 2:
        return []
    names = []
    for line in table[1].splitlines()[1:]:
        m = re.match(r"\s*\[\s*\d+\]\s+(\S+)\s*$", line)
        if not m:
            break
        names.append(m.group(1))
    return names


def main():
    objdump, dll, def_file = sys.argv[1:4]
    if not Path(dll).exists():
        print(f"{dll} not built: skipped")
        return 77
    wanted = def_names(def_file)
    found = exported_names(objdump, dll)
    print("exports:", " ".join(found))
    if len(wanted) != 9:
        print(f"the .def file lists {len(wanted)} names, not the nine entry points")
        return 1
    if sorted(found) != sorted(wanted):
        print("missing:", sorted(set(wanted) - set(found)))
        print("unexpected:", sorted(set(found) - set(wanted)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
