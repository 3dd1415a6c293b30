#!/usr/bin/env bash
# Tests scripts/check-style.sh on a copy of the tree's C++ files and its ARCHITECTURE.md:
# the copy passes as it is, and each kind of fault, put into the copy, makes the script
# fail naming the file and line. Usage: scripts/check-style_test.sh [SOURCE_DIR]
set -euo pipefail

source_dir=$(cd "${1:-$(dirname "$0")/..}" && pwd)
check="$source_dir/scripts/check-style.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# A fresh copy of the tracked C++ files, the table and the formatting rules.
fresh_tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    (cd "$source_dir" && "$source_dir/scripts/check-style.sh" --list-sources | tar -cf - -T -) |
        tar -xf - -C "$work/tree"
    mkdir -p "$work/tree/docs"
    cp "$source_dir/docs/ARCHITECTURE.md" "$work/tree/docs/"
    cp "$source_dir/.clang-format" "$work/tree/"
}

# expect_pass NAME / expect_fail NAME PATTERN: runs the check on the copy.
expect_pass() {
    if "$check" --root "$work/tree" >"$work/out" 2>&1; then
        echo "ok: $1"
    else
        echo "FAIL: $1: the check failed:"; cat "$work/out"; failed=1
    fi
}
expect_fail() {
    if "$check" --root "$work/tree" >"$work/out" 2>&1; then
        echo "FAIL: $1: the check passed"; failed=1
    elif ! grep -qE "$2" "$work/out"; then
        echo "FAIL: $1: no line matching '$2' in:"; cat "$work/out"; failed=1
    else
        echo "ok: $1"
    fi
}

fresh_tree
expect_pass "the tree as it is"

# A line added at the end of a file: its number.
add_line() { printf '%s\n' "$2" >>"$work/tree/$1"; wc -l <"$work/tree/$1" | tr -d ' '; }

line=$(add_line platform/gfx/color.h '#include "app/fclock.h"')
expect_fail "an upward include" \
    "^platform/gfx/color\.h:$line: includes app/fclock\.h: platform/gfx/ may not include app/"

fresh_tree
line=$(add_line widgets/agauge.cpp '#include "dialogs/product.h"')
expect_fail "an include sideways into a higher layer" "^widgets/agauge\.cpp:$line: .*dialogs/"

fresh_tree
line=$(add_line settings/paramstore.cpp '#include "platform/os/posix/regfile.h"')
expect_fail "a library reaching into a system's folder" "^settings/paramstore\.cpp:$line: .*platform/os/posix/"
fresh_tree
add_line settings/paramstore_test.cpp '#include "platform/os/posix/regfile.h"' >/dev/null
add_line settings/paramstore_test.cpp '#include "tests/support/testchild.h"' >/dev/null
expect_pass "a test looking into a system's folder and using tests/support"
line=$(add_line settings/paramstore.cpp '#include "tests/support/testchild.h"')
expect_fail "a library using tests/support" "^settings/paramstore\.cpp:$line: .*tests/support/"

fresh_tree
line=$(add_line platform/os/posix/fileio.cpp '#include <windows.h>')
expect_fail "<windows.h> outside win32/" "^platform/os/posix/fileio\.cpp:$line: includes <windows\.h>"

fresh_tree
mkdir -p "$work/tree/gadgets"
echo 'int Gadget();' >"$work/tree/gadgets/gadget.h"
expect_fail "a folder without a row" "gadgets/ has no row"
fresh_tree
rm -r "$work/tree/desktop"
expect_fail "a row for a folder that is gone" "names desktop/, which is no folder"

# Formatting: a misformatted line fails.
if command -v clang-format >/dev/null || command -v clang-format-14 >/dev/null; then
    rm -rf "$work/tree"
    mkdir -p "$work/tree/platform"
    cp "$source_dir/.clang-format" "$work/tree/"
    printf '<!-- layering table: begin -->\n| `platform/` | |\n<!-- layering table: end -->\n' \
        >"$work/tree/ARCHITECTURE.md"
    mkdir -p "$work/tree/docs" && mv "$work/tree/ARCHITECTURE.md" "$work/tree/docs/"
    printf '#pragma once\n\nint Twice(int value);\n' >"$work/tree/platform/twice.h"
    expect_pass "a formatted file"
    printf 'int  Thrice( int value ){return 3*value;}\n' >>"$work/tree/platform/twice.h"
    expect_fail "a misformatted line" "platform/twice\.h:4:.*(error|warning)"
else
    echo "FAIL: clang-format is not installed"; failed=1
fi

exit $failed
