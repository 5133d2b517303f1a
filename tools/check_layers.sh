#!/bin/sh
# Fails on any include that climbs a layer. The core: each folder of src/ but
# app may include only folders ranked below it, never src/app and never Qt.
# The front end's rooms: common < cli < dialogs < window < src/app itself
# (main.cpp and the boot); a room includes only its own and lower rooms, so the
# command line includes no dialog or window.
# Usage: check_layers.sh [src folder]
src=${1:-$(dirname "$0")/../src}
core="base scene objects output settings export document dungeon"
rooms="common cli dialogs window app"
status=0

# check FOLDER ORDER PREFIX FILE: FOLDER's rank in ORDER bounds the folders
# that FILE's includes of "PREFIX<folder>/..." may name; the core (no PREFIX)
# also names no Qt header and nothing of app. A room's include without a
# folder is of app itself.
check() {
    awk -v folder="$1" -v order="$2" -v prefix="$3" -v file="$4" '
        BEGIN {
            n = split(order, names, " ")
            for (i = 1; i <= n; ++i)
                rank[names[i]] = i
            if (!(folder in rank)) {
                printf "%s: folder \"%s\" has no place in the layer table of %s\n",
                       file, folder, "tools/check_layers.sh"
                bad = 1
                exit
            }
        }
        prefix == "" && /^[ \t]*#[ \t]*include[ \t]*</ {
            header = $0
            sub(/^[^<]*</, "", header)
            sub(/>.*/, "", header)
            if (header ~ /^Q/) {
                printf "%s:%d: core file includes the Qt header <%s>\n", file, FNR, header
                bad = 1
            }
        }
        /^[ \t]*#[ \t]*include[ \t]*"/ {
            header = $0
            sub(/^[^"]*"/, "", header)
            sub(/".*/, "", header)
            if (substr(header, 1, length(prefix)) != prefix)
                next
            header = substr(header, length(prefix) + 1)
            if (index(header, "/") == 0) {
                if (prefix == "")
                    next
                target = "app"
            } else {
                target = substr(header, 1, index(header, "/") - 1)
            }
            if (prefix == "" && target == "app") {
                printf "%s:%d: core file includes the front end: \"%s\"\n", file, FNR, header
                bad = 1
            } else if (prefix != "" && !(target in rank)) {
                printf "%s:%d: includes \"%s%s\" from no room of the table\n", file, FNR, prefix,
                       header
                bad = 1
            } else if ((target in rank) && rank[target] > rank[folder]) {
                printf "%s:%d: %s (layer %d) includes \"%s%s\" from %s (layer %d) above it\n",
                       file, FNR, folder, rank[folder], prefix, header, target, rank[target]
                bad = 1
            }
        }
        END { exit bad }
    ' "$4"
}

for dir in "$src"/*/ "$src"/app/*/; do
    folder=$(basename "$dir")
    case "$dir" in
    "$src"/app/ | "$src"/app/*/) order=$rooms prefix=app/ ;;
    *) [ "$folder" = app ] && continue
       order=$core prefix= ;;
    esac
    for file in "$dir"*; do
        [ -f "$file" ] || continue
        check "$folder" "$order" "$prefix" "$file" || status=1
    done
done
if [ $status -ne 0 ]; then
    echo "Layer order, lowest first: $(echo "$core" | sed 's/ / < /g')"
    echo "Front-end rooms, lowest first: $(echo "$rooms" | sed 's/ / < /g')"
fi
exit $status
