#!/usr/bin/env bash
# Reads from the Linux side the attributes Wine stored for the files the skin set-up tests listed
# (Wine reports the archive attribute on every file, so the Windows side cannot tell them apart).
# Each line: "hidden" (stored attributes exactly 0x2) or "visible" (no hidden bit), a tab, the path.
set -u
list="$1"
[ -s "$list" ] || { echo "no files listed in $list"; exit 1; }
failed=0
while IFS=$'\t' read -r expected path; do
  [ -e "$path" ] || { echo "missing: $path"; failed=1; continue; }
  stored="$(getfattr --absolute-names -n user.DOSATTRIB --only-values "$path" 2>/dev/null || true)"
  case "$expected" in
    hidden) ok=$([ "$stored" = "0x2" ] && echo 1 || echo 0) ;;
    visible) ok=$({ [ -z "$stored" ] || { [[ "$stored" =~ ^0x[0-9a-fA-F]+$ ]] && (( (stored & 2) == 0 )); }; } && echo 1 || echo 0) ;;
    *) ok=0 ;;
  esac
  if [ "$ok" = 1 ]; then
    echo "ok   $expected (${stored:-none}): $path"
  else
    echo "FAIL $expected but stored ${stored:-none}: $path"; failed=1
  fi
done <"$list"
exit "$failed"
