#!/usr/bin/env python3
"""Compares kavel with Universal Ctags on real code.

    bench/ctags_compare.py [--sample N] KAVEL FILE...

Run it where the files' names are to be read (the paths must match between
the two tools). It prints two figures:

- the listing: the share of kavel's `-i` entries (name, file, line) that
  ctags lists as functions, and the share of ctags' functions kavel lists
  (ctags also reads the headers kavel read beside the files);
- the texts: for N functions sampled evenly from those both list, kavel's
  printed text (comment block left out) is found in the file and its first
  and last lines are compared with ctags' line and end fields. A text is
  exact when it ends on ctags' end line and begins on ctags' line or on a
  line above it that belongs to the header (return type words, no ';', '}'
  or comment end).

With -v every mismatch is shown.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile


def ctags_functions(files):
    out = subprocess.run(
        ["ctags", "-x", "--c-kinds=f", "--_xformat=%N\t%F\t%n\t%{end}"] + files,
        capture_output=True, text=True, errors="replace").stdout
    funs = {}
    for line in out.splitlines():
        parts = line.split("\t")
        if len(parts) == 4 and parts[2].isdigit():
            end = int(parts[3]) if parts[3].isdigit() else None
            funs[(parts[0], parts[1], int(parts[2]))] = end
    return funs


def kavel_listing(kavel, files):
    out = subprocess.run([kavel, "-i"] + files, capture_output=True, text=True,
                         errors="replace").stdout
    entries = []
    for line in out.splitlines():
        parts = line.rsplit(";", 2)
        if len(parts) == 3 and parts[2].isdigit():
            entries.append((parts[0], parts[1], int(parts[2])))
    return entries


def strip_lead(lines):
    """Drops the comment block kavel prints above a header."""
    i = 0
    in_comment = False
    while i < len(lines):
        s = lines[i].strip()
        if in_comment:
            if "*/" in s:
                in_comment = False
            i += 1
            continue
        if s == "" or s.startswith("//"):
            i += 1
            continue
        if s.startswith("/*"):
            in_comment = "*/" not in s[2:]
            i += 1
            continue
        break
    return lines[i:]


def texts(kavel, files, names):
    """Prints each file#name between marker functions; returns the texts."""
    with tempfile.TemporaryDirectory() as tmp:
        marker = os.path.join(tmp, "zz_marker.c")
        with open(marker, "w") as f:
            for k in range(len(names) + 1):
                f.write("int zz_mark_%d(void)\n{\n}\n" % k)
        lst = os.path.join(tmp, "names")
        with open(lst, "w") as f:
            for k, n in enumerate(names):
                f.write("zz_mark_%d\n%s\n" % (k, n))
            f.write("zz_mark_%d\n" % len(names))
        out = subprocess.run([kavel, "-L", lst] + files + [marker], capture_output=True,
                             errors="replace", text=True).stdout
    chunks = re.split(r"^int zz_mark_\d+\(void\)\n\{\n\}\n\n", out, flags=re.M)
    return [c.split("\n")[:-2] if c.endswith("\n\n") else c.split("\n") for c in chunks[1:-1]]


def locate(src, text, near):
    """First and last line (1-based) of `text` in `src`, the occurrence
    nearest `near` within the text's length of it."""
    if not text:
        return None
    lo = max(0, near - len(text) - 50)
    hi = min(len(src) - len(text), near + 50)
    best = None
    for s in range(lo, hi + 1):
        if src[s] != text[0] or src[s:s + len(text)] != text:
            continue
        if best is None or abs(s + 1 - near) < abs(best + 1 - near):
            best = s
    return None if best is None else (best + 1, best + len(text))


def pieces(chunk):
    """The runs of a chunk between its empty lines: with alternatives one
    request prints several texts, each ending in an empty line."""
    cuts = [0] + [k + 1 for k, l in enumerate(chunk) if l == ""] + [len(chunk)]
    for a in range(len(cuts)):
        for b in range(a + 1, len(cuts)):
            yield chunk[cuts[a]:cuts[b]]


def header_lines(src, first, line):
    return all(not re.search(r"[;}]|\*/", src[k - 1]) for k in range(first, line))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--sample", type=int, default=300)
    ap.add_argument("-v", action="store_true")
    ap.add_argument("kavel")
    ap.add_argument("files", nargs="+")
    a = ap.parse_args()
    kavel = os.path.abspath(a.kavel)

    kv = kavel_listing(kavel, a.files)
    # kavel also reads the project headers the sources include; ctags is
    # given the same headers, so both list the same files.
    given = set(a.files)
    headers = sorted({f for _, f, _ in kv if f not in given and os.path.isfile(f)})
    ct = ctags_functions(a.files + headers)
    kvs = set(kv)
    in_ct = sum(1 for e in kvs if e in ct)
    in_kv = sum(1 for e in ct if e in kvs)
    print("listing: kavel %d, ctags %d; kavel's in ctags %.2f%%, ctags' in kavel %.2f%%" %
          (len(kvs), len(ct), 100.0 * in_ct / max(1, len(kvs)), 100.0 * in_kv / max(1, len(ct))))
    if a.v:
        for e in sorted(kvs - set(ct)):
            print("  only kavel: %s;%s;%d" % e)
        for e in sorted(set(ct) - kvs):
            print("  only ctags: %s;%s;%d" % e)

    both = [e for e in kv if e in ct and ct[e] is not None]
    step = max(1, len(both) // a.sample)
    sample = both[::step][:a.sample]
    # A function is printed once per run, and one request prints all the
    # alternatives of a name in its file: ask for each file#name once.
    wanted = list(dict.fromkeys("%s#%s" % (f, n) for n, f, _ in sample))
    got = dict(zip(wanted, texts(kavel, a.files, wanted)))
    sources = {}
    exact = 0
    for name, file, line in sample:
        chunk = got.get("%s#%s" % (file, name), [])
        if file not in sources:
            with open(file, encoding="utf-8", errors="replace") as f:
                sources[file] = f.read().split("\n")
        src = sources[file]
        chunk = [l for l in chunk if not l.startswith("/* File: ")]
        end = ct[(name, file, line)]
        ok = False
        span = None
        for piece in pieces(chunk):
            while piece and piece[-1] == "":
                piece = piece[:-1]
            span = locate(src, strip_lead(piece), line)
            if span is not None and span[1] == end and span[0] <= line and \
                    header_lines(src, span[0], line):
                ok = True
                break
        exact += ok
        if not ok and a.v:
            print("  text %s#%s: ctags %d-%d, kavel %s" % (file, name, line, end, span))
    print("texts: %d of %d exact (%.1f%%)" % (exact, len(sample), 100.0 * exact / max(1, len(sample))))


if __name__ == "__main__":
    sys.exit(main())
