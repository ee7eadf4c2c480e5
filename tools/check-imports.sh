#!/usr/bin/env bash
# Fails when a deliverable library imports a symbol outside the allowlist:
# memory and string functions, libm, and a monotonic clock. No heap, files,
# I/O, threads or C++ runtime may reach a library.
set -u
dir=${1:-build/lib}
allow='^(mem(cpy|move|set|cmp|chr)|str(len|cmp|ncmp|chr|rchr|cpy|ncpy|cat|ncat|nlen|str)|(sin|cos|tan|atan2?|asin|acos|sqrt|floor|ceil|fabs|fmod|pow|exp|log|log10|round|lround|trunc|modf|hypot)[fl]?|clock_gettime|__stack_chk_fail.*|__cxa_finalize|__gmon_start__|_ITM_.*|_GLOBAL_OFFSET_TABLE_|__(memcpy|memset|memmove|strcpy|strncpy|strcat)_chk)$'
shopt -s nullglob
libs=("$dir"/lib*.so)
if [ ${#libs[@]} -eq 0 ]; then
  echo "no libraries in $dir"; exit 1
fi
status=0
for so in "${libs[@]}"; do
  bad=$(nm -D --undefined-only "$so" | awk '{print $NF}' | sed 's/@.*//' | grep -v -E "$allow" | tr '\n' ' ')
  if [ -n "$bad" ]; then
    echo "$(basename "$so") imports: $bad"
    status=1
  else
    echo "$(basename "$so"): imports allowed"
  fi
done
exit $status
