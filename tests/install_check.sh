#!/usr/bin/env bash
# Installs a build into a throw-away DESTDIR, then runs the installed binary
# on a tiny C file and checks that the manual page came along. Nothing may be
# written outside DESTDIR, and nothing but the binary and the page installed.
# Usage: install_check.sh <cmake> <build-dir> <bindir> <mandir> <source-dir>
# (<bindir> and <mandir> as GNUInstallDirs gave them: relative or absolute.)
set -u
cmake=$1 build=$2 bindir=$3 mandir=$4 source=$5
prefix=/opt/kavel-check

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest=$work/dest

DESTDIR=$dest "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }

under_prefix() {
  case $1 in
    /*) echo "$dest$1" ;;
    *) echo "$dest$prefix/$1" ;;
  esac
}
bin=$(under_prefix "$bindir")/kavel
page=$(under_prefix "$mandir")/man1/kavel.1

[ -x "$bin" ] || fail "no executable at $bin"
[ -f "$page" ] || fail "no manual page at $page"
cmp -s "$page" "$source/doc/kavel.1" || fail "installed page differs from doc/kavel.1"
count=$(find "$dest" -type f | wc -l)
[ "$count" -eq 2 ] || { find "$dest" -type f >&2; fail "expected 2 installed files, found $count"; }

# The installed binary must run on its own, away from the build tree.
mkdir "$work/src"
cd "$work/src" || fail "cannot enter $work/src"
printf '/* Doubles a number. */\nint twice(int n)\n{\n    return n + n;\n}\n\nint main(void)\n{\n    return twice(2);\n}\n' >tiny.c
out=$("$bin" -i tiny.c 2>"$work/err")
rc=$?
[ "$rc" -eq 0 ] || fail "installed kavel -i exited with $rc"
[ ! -s "$work/err" ] || { cat "$work/err" >&2; fail "installed kavel -i wrote to stderr"; }
want=$'twice;tiny.c;2\nmain;tiny.c;7'
[ "$out" = "$want" ] || fail "listing was [$out], expected [$want]"

out=$("$bin" -u -l @main tiny.c 2>"$work/err")
want=$'int main(void)\n{\n    return twice(2);\n}\n\n/* Called by: main */\n/* Doubles a number. */\nint twice(int n)\n{\n    return n + n;\n}'
[ "$out" = "$want" ] || fail "walk printed [$out], expected [$want]"

# The page as a reader sees it, where man is at hand.
if command -v man >/dev/null 2>&1; then
  MANWIDTH=80 man -l "$page" >"$work/page.txt" 2>/dev/null || fail "man -l failed on the installed page"
  grep -q '^NAME' "$work/page.txt" || fail "man -l shows no NAME section"
  grep -q 'kavel -' "$work/page.txt" || fail "man -l shows no kavel name line"
else
  echo "man not found: the rendering of the installed page is not checked"
fi
echo "installed $bin and $page"
