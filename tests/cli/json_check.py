#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Every command's --json, read back with Python's json module: the same results as its text lines on
# a fixture of hostile names, the exact path bytes back through surrogateescape, and the very same
# bytes under the C, German and Japanese locales.  Usage: json_check.py VANTOREL_CLI
import json
import os
import subprocess
import sys
import tempfile
import unicodedata

CLI = sys.argv[1]
LOCALES = ["C", "de_DE.UTF-8", "ja_JP.UTF-8"]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(args, locale="C"):
    env = dict(os.environ, LC_ALL=locale, LANG=locale)
    return subprocess.run([CLI] + args, env=env, capture_output=True)


def shown(raw: bytes) -> str:
    """A name as the text lines show it: U+FFFD for bytes that are not UTF-8, '?' for controls."""
    text = raw.decode("utf-8", "replace")
    return "".join("?" if unicodedata.category(c) == "Cc" or c in "\u2028\u2029" else c for c in text)


def exact(text: str) -> bytes:
    return text.encode("utf-8", "surrogateescape")


def json_lines(args, live=()):
    """The JSON of args under every locale (identical but for the live figures named), parsed, the
    summary apart."""
    outputs = [run(args + ["--json"], locale) for locale in LOCALES]
    first = outputs[0]

    def steady(output):
        objects = [json.loads(line) for line in output.stdout.decode("utf-8").splitlines()]
        for key in live:
            objects[-1]["summary"].pop(key, None)
        return objects

    for locale, other in zip(LOCALES[1:], outputs[1:]):
        same = other.stdout == first.stdout if not live else steady(other) == steady(first)
        check(same, f"{args}: the JSON under {locale} differs from C's")
        check(other.returncode == first.returncode, f"{args}: exit {other.returncode} under {locale}")
    objects = [json.loads(line) for line in first.stdout.decode("utf-8").splitlines()]
    check(objects and "summary" in objects[-1], f"{args}: no summary last")
    for o in objects:
        for key in o:
            check(key == key.lower() and " " not in key, f"{args}: key {key!r} is not snake case")
    return objects[:-1], objects[-1]["summary"], first.returncode


def text_lines(args):
    result = run(args)
    return result.stdout.decode("utf-8").split("\n")[:-1], result.returncode


def check_file(obj, args):
    path = exact(obj["path"])
    check(os.path.lexists(path), f"{args}: {path!r} is no file")
    check(exact(obj["folder"]).rstrip(b"/") + b"/" + exact(obj["name"]) == path or obj["folder"] == "/",
          f"{args}: folder and name do not make {path!r}")
    check(os.lstat(path).st_size == obj["size"], f"{args}: size of {path!r}")


def build(root):
    names = [b"tab\tname.txt", b"line\nbreak.txt", b"bad\xffname.dat", b'quote"back\\slash.txt', b"plain.txt"]
    for folder in (b"one", b"two"):
        os.makedirs(os.path.join(root, folder, b"sub"))
        for i, name in enumerate(names):
            path = os.path.join(root, folder, name)
            with open(path, "wb") as f:
                f.write(bytes([65 + i]) * (1500 + 700 * i))
            os.utime(path, ns=(1_700_000_000_123_456_789, 1_700_000_000_987_654_321 + i))
    os.makedirs(os.path.join(root, b"other"))
    with open(os.path.join(root, b"other", b"extra.bin"), "wb") as f:
        f.write(b"x" * 5000)


with tempfile.TemporaryDirectory() as temp:
    root = os.path.join(temp.encode(), b"tree")
    build(root)
    r = root.decode("utf-8")
    old = os.path.join(temp, "old.json")
    new = os.path.join(temp, "new.json")
    check(run(["export", "--output", old, r]).returncode == 0, "export")
    with open(os.path.join(root, b"other", b"grown.bin"), "wb") as f:
        f.write(b"g" * 9000)
    check(run(["export", "--output", new, r]).returncode == 0, "export")

    # dups in its modes: groups, their members in the order of the lines.
    for args in (["dups", "--larger", "0", r], ["dups", "--exact", "--larger", "0", r],
                 ["dups", "--content", "--larger", "0", r]):
        groups, summary, code = json_lines(args)
        lines, text_code = text_lines(args)
        check(code == text_code == 0, f"{args}: exit {code}, {text_code}")
        members = [f for g in groups for f in g["files"]]
        content = "--content" in args
        shown_lines = [line for line in lines if line] if content else lines
        check(len(members) == len(shown_lines) == summary["files"], f"{args}: {len(members)} files, {len(lines)} lines")
        check(summary["groups"] == len(groups), f"{args}: group count")
        if content:
            check(lines.count("") == len(groups), f"{args}: groups of the text")
        for f, line in zip(members, shown_lines):
            fields = line.split("\t")
            check_file(f, args)
            check(fields[0] == shown(exact(f["name"])), f"{args}: name {fields[0]!r}")
            check(fields[5] == shown(exact(f["folder"])) + "/", f"{args}: folder {fields[5]!r}")
            check(fields[6] == f["type"], f"{args}: type {fields[6]!r} against {f['type']!r}")
            check(f["modified"].startswith("2023-11-14T") and f["modified"][19:29] in (
                ".987654321", ".987654322", ".987654323", ".987654324", ".987654325"), f"{args}: {f['modified']}")

    # dups --keep: the copies of each group are the lines of the text.
    args = ["dups", "--content", "--keep", "first", "--larger", "0", r]
    groups, summary, code = json_lines(args)
    lines, _ = text_lines(args)
    copies = [c for g in groups for c in g["copies"]]
    check(len(copies) == len([line for line in lines if line]) == summary["copies"], f"{args}: copies")
    check(all(len(g["kept"]) == 1 for g in groups), f"{args}: one kept per group")
    for c, line in zip(copies, [line for line in lines if line]):
        check(line.split("\t")[5] == shown(exact(c["folder"])) + "/", f"{args}: {line!r}")

    # hogs and dates: a line per file.
    for args, path_field in ((["hogs", "--larger", "0", r], 4),
                             (["dates", "--modified", "--after", "2000-01-01", r], None)):
        files, summary, code = json_lines(args)
        lines, text_code = text_lines(args)
        check(code == text_code == 0 and len(files) == len(lines) == summary["files"], f"{args}: counts")
        for f, line in zip(files, lines):
            fields = line.split("\t")
            check_file(f, args)
            if path_field is not None:
                check(fields[path_field] == shown(exact(f["path"])), f"{args}: {fields[path_field]!r}")
            else:
                check(fields[0] == shown(exact(f["name"])) and fields[4] == shown(exact(f["folder"])),
                      f"{args}: {line!r}")
                check(f["accessed"].endswith(("+00:00",)) or f["accessed"][-6] in "+-", f"{args}: offset")

    # folders: the figures as numbers, the percent with its point.
    for args in (["folders", r], ["folders", "--all", r]):
        rows, summary, code = json_lines(args)
        lines, _ = text_lines(args)
        check(len(rows) == len(lines) == summary["folders"], f"{args}: counts")
        for row, line in zip(rows, lines):
            fields = line.split("\t")
            check(fields[5] == shown(exact(row["path"])), f"{args}: {fields[5]!r}")
            check(fields[2] == str(row["files"]) and fields[3] == str(row["sub_folders"]), f"{args}: {line!r}")
            check(row["percent"] is None or fields[1] == f"{row['percent']:.2f}", f"{args}: percent {fields[1]}")
        german = run(args, "de_DE.UTF-8").stdout.decode().split("\n")[:-1]
        check(all("," not in line.split("\t")[1] for line in german), f"{args}: a decimal comma under de_DE")

    # dupfolders: one and two are copies.
    args = ["dupfolders", r]
    groups, summary, code = json_lines(args)
    lines, _ = text_lines(args)
    folders = [f for g in groups for f in g["folders"]]
    check(len(folders) == len([line for line in lines if line]) == summary["folders"] >= 2, f"{args}: counts")
    for f, line in zip(folders, [line for line in lines if line]):
        fields = line.split("\t")
        check(fields == [str(f["size"]), str(f["files"]), f["note"], shown(exact(f["path"]))], f"{args}: {line!r}")

    # stats: every record of the text, in its order.
    args = ["stats", r]
    # Other programs write to the disk meanwhile.
    records, summary, code = json_lines(args, live=("disk_free", "disk_used", "disk_reserved"))
    lines, _ = text_lines(args)
    body = [line for line in lines if line.split("\t")[0] not in ("files", "cluster", "disk", "allocated")]
    check(len(records) == len(body), f"{args}: {len(records)} records, {len(body)} lines")
    for rec, line in zip(records, body):
        fields = line.split("\t")
        value = rec.get("class", rec.get("name", rec.get("extension")))
        check(fields == [rec["record"], str(value), str(rec["files"]), str(rec["bytes"])], f"{args}: {line!r}")
    check(lines[0] == f"files\t{summary['files']}", f"{args}: files")
    check(lines[-1] == f"allocated\t{summary['allocated']}\t{summary['lost']}", f"{args}: allocated")

    # compare of two saved scans.
    args = ["compare", "--all", old, new]
    changes, summary, code = json_lines(args)
    lines, _ = text_lines(args)
    check(code == 0 and len(changes) == len(lines) == summary["changes"] >= 2, f"{args}: counts")
    for c, line in zip(changes, lines):
        sign = "+" if c["change"] >= 0 else ""
        check(line.split("\t") == [f"{sign}{c['change']}", str(c["old_size"]), str(c["new_size"]), c["kind"],
                                   shown(exact(c["path"]))], f"{args}: {line!r}")

    # view --total.
    text_file = os.path.join(temp, "lines.txt")
    with open(text_file, "wb") as f:
        f.write(b"one\r\ntwo\rthree\n")
    _, summary, code = json_lines(["view", "--total", text_file])
    total = run(["view", "--total", text_file]).stdout
    check(summary == {"command": "view", "lines": int(total)} and code == 0, f"view --total: {summary}, {total}")

    # Nothing found: exit 1 and still the summary.
    _, summary, code = json_lines(["hogs", "--larger", "1T", r])
    check(code == 1 and summary["files"] == 0, f"hogs of nothing: {code} {summary}")

for failure in failures:
    print("FAIL:", failure)
print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
sys.exit(1 if failures else 0)
