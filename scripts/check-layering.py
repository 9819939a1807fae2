#!/usr/bin/env python3
"""Checks that the includes of src/ keep the program's layering; prints each break and fails.

  kalvista_core    the files src/CMakeLists.txt names in kalvista_core, their headers and every
                   file of the core folders: they include no Widgets or PrintSupport header and
                   no header of the window library.
  src/data/        includes only src/data/ and the export facility the data module owns.
  src/ui/          widgets that know no window: no header of a window folder, and of app/ only
                   the guard and the shared values.
  window folders   a window folder includes no other window folder's header (its core logic may use
                   another folder's core logic: the cash desk rounds as the ledger does); only the main window
                   (records/, the hub) includes the dialogs it opens, and only start-up (app/main.cpp,
                   app/program.cpp) includes the main window beside it. The settings (admin/) edit the
                   reference data of every subsystem (the instructors and course hours of the lessons), so
                   their windows may use another folder's core logic too, never its windows.
  the build        every source file of src/ is named once in src/CMakeLists.txt.

Usage: check-layering.py [ROOT] (default: the repository this script lies in).
"""
import pathlib
import re
import subprocess
import sys

CORE_FOLDERS = {"data", "export", "report", "mail"}
WINDOW_FOLDERS = {"admin", "cashdesk", "import", "lessons", "payments", "records", "reports", "search"}
HUB = "records"
SETTINGS = "admin"
START_UP = {"app/main.cpp", "app/program.cpp"}
DATA_MAY_INCLUDE = {"export/export_facility.h", "export/export_settings.h"}
UI_MAY_INCLUDE_FROM_APP = {"app/guard.h", "app/file_error.h", "app/program_folder.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def qt_headers(module):
    """The header names of a Qt module as the system installs it."""
    try:
        folder = subprocess.run(["qmake6", "-query", "QT_INSTALL_HEADERS"], capture_output=True, text=True,
                                check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        folder = "/usr/include/x86_64-linux-gnu/qt6"
    path = pathlib.Path(folder) / module
    if not path.is_dir():
        sys.exit(f"check-layering: {path} not found; install qt6-base-dev")
    return {p.name for p in path.iterdir()}


def library_lists(cmake):
    """The files named in each add_library block, as paths relative to src/."""
    lists = {}
    for name, body in re.findall(r"add_library\((\w+)\s+STATIC(.*?)\n\)", cmake, re.S):
        lists[name] = [line.split("#")[0].strip() for line in body.splitlines()
                       if line.split("#")[0].strip()]
    return lists


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    src = root / "src"
    cmake = (src / "CMakeLists.txt").read_text(encoding="utf-8")
    lists = library_lists(cmake)
    named = lists.get("kalvista_core", []) + lists.get("kalvista_gui", [])
    named += re.findall(r"add_executable\(\w+\s+([\w/.]+)", cmake)
    faults = []

    sources = sorted(str(p.relative_to(src)) for p in src.rglob("*.cpp"))
    for source in sources:
        if named.count(source) != 1:
            faults.append(f"src/{source}: named {named.count(source)} times in src/CMakeLists.txt, not once")

    core = set()
    for entry in lists.get("kalvista_core", []):
        core.add(entry)
        core.add(str(pathlib.Path(entry).with_suffix(".h")))
    forbidden_qt = qt_headers("QtWidgets") | qt_headers("QtPrintSupport")

    for path in sorted(src.rglob("*")):
        if path.suffix not in {".cpp", ".h"}:
            continue
        name = str(path.relative_to(src))
        folder = name.split("/")[0]
        is_core = folder in CORE_FOLDERS or name in core
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, target = match.groups()
            target_folder = target.split("/")[0]
            where = f"src/{name}:{number}: includes {target}"
            if kind == "<":
                module = target.split("/")[0] if "/" in target else None
                if is_core and (module in {"QtWidgets", "QtPrintSupport"} or
                                (module is None and target in forbidden_qt)):
                    faults.append(f"{where}: a kalvista_core file uses no Widgets or PrintSupport header")
                continue
            if target_folder == folder:
                continue
            if folder == "data" and target not in DATA_MAY_INCLUDE:
                faults.append(f"{where}: the data layer includes nothing above it")
            elif is_core and not (target_folder in CORE_FOLDERS or target in core):
                faults.append(f"{where}: a kalvista_core file includes only kalvista_core headers")
            elif folder == "ui" and (target_folder in WINDOW_FOLDERS or
                                     (target_folder == "app" and target not in UI_MAY_INCLUDE_FROM_APP)):
                faults.append(f"{where}: ui/ holds widgets that know no window")
            elif target_folder == HUB and name not in START_UP:
                faults.append(f"{where}: only start-up includes the main window; a dialog never does")
            elif (folder in WINDOW_FOLDERS and folder != HUB and target_folder in WINDOW_FOLDERS and
                  not ((is_core or folder == SETTINGS) and target in core)):
                faults.append(f"{where}: windows of different folders meet only through the main window "
                              "and the data module")
            elif folder == "app" and name not in START_UP and target_folder in WINDOW_FOLDERS:
                faults.append(f"{where}: only start-up includes the windows")

    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layering: {len(faults)} break(s) of the layering")
        return 1
    print(f"check-layering: {len(sources)} source files, layering kept")
    return 0


if __name__ == "__main__":
    sys.exit(main())
