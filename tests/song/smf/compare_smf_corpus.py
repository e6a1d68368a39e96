#!/usr/bin/python3
"""Compares Zarin's Standard MIDI File import with an independent reader (mido) over a
corpus of MIDI files: for every file, smf_dump (our import) and smf_canonical.py (mido) must
write the same canonical text. Names each file that differs and where.

The corpus: the folders in ZARIN_SMF_CORPUS (separated by ':') when it is set, else the
folders given with --corpus, plus the hand-made fixtures (--fixtures) and the tunes that
abc2midi makes from the ABC texts in --abc. Exit 0 when every file agrees, 1 when one
differs or fails, 77 (skipped) when mido is missing.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MIDI_SUFFIXES = (".mid", ".midi", ".kar", ".smf")


def midi_files(folder):
    found = []
    for root, _dirs, names in os.walk(folder):
        for name in names:
            if name.lower().endswith(MIDI_SUFFIXES):
                found.append(os.path.join(root, name))
    return sorted(found)


def convert_abc(folder, out):
    if not folder or not os.path.isdir(folder):
        return []
    if not shutil.which("abc2midi"):
        print("note: abc2midi is not installed; the ABC tunes are left out")
        return []
    made = []
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".abc"):
            continue
        base = os.path.splitext(name)[0]
        target = os.path.join(out, base + ".mid")
        result = subprocess.run(["abc2midi", os.path.join(folder, name), "-o", target],
                                capture_output=True, text=True)
        if result.returncode != 0 or not os.path.exists(target):
            print("FAIL %s: abc2midi failed: %s" % (name, result.stderr.strip()[:200]))
            made.append(None)
            continue
        made.append(target)
    return made


def first_difference(ours, theirs):
    a = ours.splitlines()
    b = theirs.splitlines()
    section = "conductor"
    for i in range(max(len(a), len(b))):
        x = a[i] if i < len(a) else "<end>"
        y = b[i] if i < len(b) else "<end>"
        if x.startswith("track ") and x == y:
            section = x
        if x != y:
            return "%s, line %d: zarin '%s', mido '%s'" % (section, i + 1, x, y)
    return None


def compare(path, dump, tpq, python):
    theirs = subprocess.run([python, os.path.join(HERE, "smf_canonical.py"), path, str(tpq)],
                            capture_output=True, text=True)
    if theirs.returncode == 3:
        return "skip", theirs.stdout.strip()
    if theirs.returncode != 0:
        return "mido", theirs.stderr.strip().splitlines()[-1:] or ["failed"]
    ours = subprocess.run([dump, path, str(tpq)], capture_output=True, text=True)
    if ours.returncode != 0:
        return "fail", "import failed: %s" % ours.stdout.strip()
    where = first_difference(ours.stdout, theirs.stdout)
    return ("differ", where) if where else ("ok", None)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True, help="the smf_dump program")
    parser.add_argument("--corpus", action="append", default=[])
    parser.add_argument("--fixtures")
    parser.add_argument("--abc")
    parser.add_argument("--tpq", type=int, action="append", default=[])
    args = parser.parse_args()
    try:
        import mido  # noqa: F401
    except ImportError:
        print("SKIP: the Python module mido (Debian package python3-mido) is not installed")
        return 77
    folders = os.environ.get("ZARIN_SMF_CORPUS")
    folders = [f for f in folders.split(":") if f] if folders else args.corpus
    resolutions = args.tpq or [480, 384]
    with tempfile.TemporaryDirectory() as scratch:
        files = []
        for folder in folders:
            if not os.path.isdir(folder):
                print("note: corpus folder %s does not exist" % folder)
                continue
            files += midi_files(folder)
        if args.fixtures and os.path.isdir(args.fixtures):
            files += midi_files(args.fixtures)
        converted = convert_abc(args.abc, scratch)
        failures = converted.count(None)
        files += [f for f in converted if f]
        if not files:
            print("SKIP: no MIDI files to compare")
            return 77
        compared = skipped = 0
        for path in files:
            for tpq in resolutions:
                status, detail = compare(path, args.dump, tpq, sys.executable)
                name = "%s at %d ticks per quarter" % (os.path.basename(path), tpq)
                if status == "ok":
                    compared += 1
                elif status == "skip":
                    skipped += 1
                    print("skip %s: %s" % (name, detail))
                elif status == "mido":
                    skipped += 1
                    print("skip %s: mido cannot read it: %s" % (name, detail[0]))
                else:
                    failures += 1
                    print("FAIL %s (%d ticks per quarter): %s" % (path, tpq, detail))
        print("%d comparisons agree, %d skipped, %d failed" % (compared, skipped, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
