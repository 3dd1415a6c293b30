#!/usr/bin/env bash
# Checks the rules of docs/ARCHITECTURE.md that a machine can check, and fails naming the
# offending file:line:
#   - the layering: every #include "..." of a C++ file names a file of its own folder or of
#     a folder that the layering table of ARCHITECTURE.md allows for its folder; a test
#     (*_test.cpp) may also look inside the folders below those (a backend's or the
#     system's own files) and use tests/support/. Every folder with C++ sources has a row,
#     and every row names a folder that exists.
#   - <windows.h> only in a win32/ folder.
#   - formatting: clang-format --dry-run -Werror over every C++ file (.clang-format).
# Usage: scripts/check-style.sh [--root DIR] [--list-sources]
#   --root DIR      the tree to check (this checkout by default)
#   --list-sources  only lists the C++ files it would check
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
list_only=0
while [ $# -gt 0 ]; do
    case "$1" in
        --root) root=$(cd "$2" && pwd); shift 2 ;;
        --list-sources) list_only=1; shift ;;
        *) echo "usage: scripts/check-style.sh [--root DIR] [--list-sources]" >&2; exit 2 ;;
    esac
done
cd "$root"

failures=0
fail() { printf '%s\n' "$*" >&2; failures=$((failures + 1)); }

# The C++ files of the tree, one path a line, relative to the root: git's tracked files in
# a checkout, else (an unpacked source package) every file outside build folders.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    sources=$(git ls-files -- '*.cpp' '*.h' '*.c')
else
    sources=$(find . -mindepth 1 \( -name 'build*' -o -name 'obj-*' -o -name debian -o -name '.*' \) \
                   -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) \
                   -print | sed 's#^\./##' | sort)
fi
if [ $list_only = 1 ]; then
    [ -z "$sources" ] || printf '%s\n' "$sources"
    exit 0
fi

# --- The layering table: "| `folder/` | `target/`, `target/` |" rows between the markers.
table=docs/ARCHITECTURE.md
declare -A allowed=()
if [ ! -f "$table" ]; then
    fail "$table: missing (it holds the layering table)"
else
    rows=$(sed -n '/<!-- layering table: begin -->/,/<!-- layering table: end -->/p' "$table" |
           grep -E '^\| *`[^`]+/`' || true)
    [ -n "$rows" ] || fail "$table: no layering table between its markers"
    while IFS= read -r row; do
        [ -n "$row" ] || continue
        folder=$(printf '%s' "$row" | cut -d'|' -f2 | grep -oE '`[^`]+`' | head -1 | tr -d '`')
        targets=$(printf '%s' "$row" | cut -d'|' -f3 | { grep -oE '`[^`]+`' || true; } | tr -d '`' | tr '\n' ' ')
        folder=${folder%/}
        allowed[$folder]=" $targets "
        if [ ! -d "$folder" ]; then
            fail "$table: the layering table names $folder/, which is no folder of the tree"
        fi
    done <<< "$rows"
fi

# Whether a file in folder $1 may include a file in folder $2; $3 is 1 for a test.
may_include() {
    local from=$1 to=$2 test=$3
    [ "$from" = "$to" ] && return 0
    local list=${allowed[$from]}
    case "$list" in *" * "*) return 0 ;; esac
    case "$list" in *" $to/ "*) return 0 ;; esac
    if [ "$test" = 1 ]; then
        [ "$to" = tests/support ] && return 0
        # A test may look inside its own folder's subfolders and those of what it may use.
        local up=$to
        while [ "$up" != "${up%/*}" ]; do
            up=${up%/*}
            [ "$up" = "$from" ] && return 0
            case "$list" in *" $up/ "*) return 0 ;; esac
        done
    fi
    return 1
}

if [ ${#allowed[@]} -gt 0 ]; then
    declare -A reported=()
    while IFS= read -r file; do
        [ -n "$file" ] || continue
        folder=${file%/*}
        if [ -z "${allowed[$folder]+set}" ] && [ -z "${reported[$folder]+set}" ]; then
            fail "$file: its folder $folder/ has no row in the layering table of $table"
            reported[$folder]=1
        fi
    done <<< "$sources"
    # Quoted includes that name a file of the tree (generated headers are not in it), read
    # with one grep over every file.
    include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"'
    while IFS=: read -r file line text; do
        [[ $text =~ $include_re ]] || continue
        include=${BASH_REMATCH[1]}
        [ -f "$include" ] || continue
        folder=${file%/*}
        [ -n "${allowed[$folder]+set}" ] || continue
        to=${include%/*}
        test=0
        case "$file" in *_test.cpp) test=1 ;; esac
        may_include "$folder" "$to" "$test" ||
            fail "$file:$line: includes $include: $folder/ may not include $to/ (layering table, $table)"
    done < <(printf '%s\n' "$sources" | xargs -r grep -nHE "$include_re" || true)
fi

# --- <windows.h> only inside the win32 folders.
while IFS=: read -r file line _; do
    case "/$file" in */win32/*) continue ;; esac
    fail "$file:$line: includes <windows.h> outside a win32/ folder"
done < <(printf '%s\n' "$sources" | xargs -r grep -nHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<windows\.h>' || true)

# --- Formatting.
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    fail "clang-format is not installed (apt-get install clang-format)"
elif [ -n "$sources" ]; then
    # shellcheck disable=SC2086
    printf '%s\n' $sources | xargs -r "$format" --dry-run -Werror --style=file ||
        fail "clang-format: the files above are not formatted (clang-format -i FILE)"
fi

if [ $failures -gt 0 ]; then
    printf 'check-style: %d problem(s)\n' "$failures" >&2
    exit 1
fi
printf 'check-style: layering, <windows.h>, formatting: all right\n'
