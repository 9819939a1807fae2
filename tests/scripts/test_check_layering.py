"""The layering check on a copy of src/: quiet on the tree as it is, and failing on each kind of
include it forbids, planted in a throw-away file."""
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
SCRIPT = ROOT / "scripts" / "check-layering.py"

# (file planted or appended to, the line planted, part of the message expected)
PLANTED = [
    ("data/dataset.cpp", '#include "ui/message_box.h"', "the data layer includes nothing above it"),
    ("data/connection.cpp", '#include "records/frm_main_form.h"', "the data layer includes nothing above it"),
    ("export/csv_writer.cpp", "#include <QMessageBox>", "no Widgets or PrintSupport header"),
    ("report/report_model.cpp", "#include <QtPrintSupport/QPrinter>", "no Widgets or PrintSupport header"),
    ("payments/installment_plan.cpp", "#include <QWidget>", "no Widgets or PrintSupport header"),
    ("mail/mail_message.cpp", '#include "ui/date_box.h"', "includes only kalvista_core headers"),
    ("ui/data_grid.cpp", '#include "search/frm_kayit_ara.h"', "ui/ holds widgets that know no window"),
    ("admin/frm_yedekler.cpp", '#include "records/frm_main_form.h"', "a dialog never does"),
    ("payments/frm_odeme_rapor_form.cpp", '#include "reports/report_statements.h"',
     "meet only through the main window"),
    ("admin/frm_ayar_formu.cpp", '#include "lessons/frm_ders.h"', "meet only through the main window"),
]


def run(tree):
    return subprocess.run([sys.executable, str(SCRIPT), str(tree)], capture_output=True, text=True)


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        tree = pathlib.Path(folder)
        shutil.copytree(ROOT / "src", tree / "src")
        clean = run(tree)
        if clean.returncode != 0:
            print("FAIL: the tree as it is:\n" + clean.stdout)
            failures += 1
        for file, line, expected in PLANTED:
            target = tree / "src" / file
            kept = target.read_text(encoding="utf-8")
            target.write_text(kept + line + "\n", encoding="utf-8")
            result = run(tree)
            target.write_text(kept, encoding="utf-8")
            if result.returncode == 0 or expected not in result.stdout or file not in result.stdout:
                print(f"FAIL: {line} in {file} was not reported as '{expected}':\n{result.stdout}")
                failures += 1
        unnamed = tree / "src" / "data" / "unnamed.cpp"
        unnamed.write_text("// a file no library names\n", encoding="utf-8")
        result = run(tree)
        if result.returncode == 0 or "src/data/unnamed.cpp: named 0 times" not in result.stdout:
            print("FAIL: a source file named in no library was not reported:\n" + result.stdout)
            failures += 1
    total = len(PLANTED) + 2
    print(f"{total - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
