#!/bin/sh
# The layers of src/ include each other in one direction only:
#
#   common <- platform <- core <- script <- graphics, devtools <- shell
#
# (commands/ and main.cc belong to the shell).  A file may include its own
# layer and the layers below it; an include of a higher layer, or of a
# sibling subsystem, fails the check.  With --list it prints the graph of
# the includes between layers instead.
src=${1:?usage: check_layers.sh SRC [--list]}
mode=${2:-check}

rank() {
  case $1 in
    common) echo 0 ;;
    platform) echo 1 ;;
    core) echo 2 ;;
    script) echo 3 ;;
    graphics|devtools|sound|save|media) echo 4 ;;
    shell|commands|main.cc) echo 5 ;;
    *) echo 9 ;;
  esac
}

edges=$(cd "$src" && grep -rnoE '^#include "[a-z_]+(/|\.cc|\.h)' --include='*.cc' --include='*.h' . |
  sed -E 's#^\./([^/:]+)[^:]*:([0-9]+):\#include "([a-z_]+).*#\1 \3 \2#')
# The file of each edge, for the report.
files=$(cd "$src" && grep -rnoE '^#include "[a-z_]+/[^"]*"' --include='*.cc' --include='*.h' .)

if [ "$mode" = "--list" ]; then
  echo "$edges" | awk '$1 != $2 {print $1 " -> " $2}' | sort | uniq -c
  exit 0
fi

bad=""
for pair in $(echo "$edges" | awk '{print $1 ":" $2}' | sort -u); do
  from=${pair%%:*}
  to=${pair#*:}
  [ "$from" = "$to" ] && continue
  rf=$(rank "$from")
  rt=$(rank "$to")
  # Subsystems are peers: none includes another.
  if [ "$rt" -gt "$rf" ] || { [ "$rt" -eq "$rf" ] && [ "$rt" -eq 4 ]; } || [ "$rf" -eq 9 ] || [ "$rt" -eq 9 ]; then
    [ "$rf" -eq 5 ] && [ "$rt" -eq 5 ] && continue
    bad="$bad
$(echo "$files" | grep "^\./$from/" | grep "#include \"$to/" )"
  fi
done
if [ -n "$(echo "$bad" | tr -d '\n')" ]; then
  echo "includes against the direction of the layers:"
  echo "$bad" | sed '/^$/d'
  exit 1
fi
echo "layers kept"
