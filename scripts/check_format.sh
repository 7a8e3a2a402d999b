#!/usr/bin/env bash
# Checks C++ sources against the repository's .clang-format with clang-format 14 (Debian's
# clang-format package), changing nothing.
#
#   scripts/check_format.sh FILE...   checks the given files (files that are not .h/.cpp, or no
#                                     longer exist, are passed over)
#   scripts/check_format.sh --all     checks every tracked .h/.cpp file of the tree
#   scripts/check_format.sh           checks nothing
#
# Exits 1 and names every file that needs formatting (`clang-format -i FILE` mends it); exits 2
# when clang-format 14 is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

tool=""
for candidate in "${CLANG_FORMAT:-}" clang-format-14 clang-format; do
    if [ -n "$candidate" ] && command -v "$candidate" >/dev/null 2>&1 \
        && "$candidate" --version | grep -q 'version 14\.'; then
        tool=$candidate
        break
    fi
done

files=()
if [ "${1:-}" = "--all" ]; then
    if [ $# -ne 1 ]; then
        echo "check_format.sh: --all takes no file names" >&2
        exit 2
    fi
    mapfile -t files < <(git -C "$root" ls-files -- '*.h' '*.cpp' | sed "s#^#$root/#")
else
    for file in "$@"; do
        case "$file" in
        *.h | *.cpp) [ -f "$file" ] && files+=("$file") ;;
        esac
    done
fi
if [ ${#files[@]} -eq 0 ]; then
    exit 0
fi
if [ -z "$tool" ]; then
    echo "check_format.sh: clang-format 14 is missing (Debian package clang-format)" >&2
    exit 2
fi

# Batches in parallel; --style=file finds the repository's .clang-format above each file. Each
# batch prints the names of its unformatted files in one write, so batches do not interleave.
batch='"$0" --style=file --dry-run --Werror "$@" 2>&1 >/dev/null \
    | grep -e "-Wclang-format-violations" | cut -d: -f1 | sort -u || true'
mapfile -t unformatted < <(printf '%s\0' "${files[@]}" \
    | xargs -0 -n 40 -P "$(nproc)" bash -c "$batch" "$tool" | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "These files do not follow .clang-format (mend with: $tool -i FILE):" >&2
    printf '  %s\n' "${unformatted[@]#"$root/"}" >&2
    exit 1
fi
echo "check_format.sh: ${#files[@]} files follow .clang-format"
