#!/bin/sh
# Fails on any include that climbs a layer. The core: each folder of src/ but
# app may include only folders ranked below it, never src/app and never Qt.
# The front end's rooms: common < cli < dialogs < window < src/app itself
# (main.cpp and the boot); a room includes only its own and lower rooms, so the
# command line includes no dialog or window.
# Usage: check_layers.sh [src folder]
src=${1:-$(dirname "$0")/../src}
status=0
for dir in "$src"/app/*/ "$src"/app/; do
    room=$(basename "$dir")
    for file in "$dir"*; do
        [ -f "$file" ] || continue
        awk -v room="$room" -v file="$file" '
            BEGIN {
                n = split("common cli dialogs window app", order, " ")
                for (i = 1; i <= n; ++i)
                    rank[order[i]] = i
                if (!(room in rank)) {
                    printf "%s: room \"%s\" has no place in the room table of %s\n",
                           file, room, "tools/check_layers.sh"
                    bad = 1
                    exit
                }
            }
            /^[ \t]*#[ \t]*include[ \t]*"app\// {
                header = $0
                sub(/^[^"]*"app\//, "", header)
                sub(/".*/, "", header)
                target = index(header, "/") ? substr(header, 1, index(header, "/") - 1) : "app"
                if (!(target in rank) || rank[target] > rank[room]) {
                    printf "%s:%d: %s includes \"app/%s\" from a room above it\n",
                           file, FNR, room, header
                    bad = 1
                }
            }
            END { exit bad }
        ' "$file" || status=1
    done
done
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    [ "$folder" = app ] && continue
    for file in "$dir"*; do
        [ -f "$file" ] || continue
        awk -v folder="$folder" -v file="$file" '
            BEGIN {
                n = split("base scene objects output settings export document dungeon", order, " ")
                for (i = 1; i <= n; ++i)
                    rank[order[i]] = i
                if (!(folder in rank)) {
                    printf "%s: folder \"%s\" has no place in the layer table of %s\n",
                           file, folder, "tools/check_layers.sh"
                    bad = 1
                    exit
                }
            }
            /^[ \t]*#[ \t]*include[ \t]*</ {
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
                if (index(header, "/") == 0)
                    next
                target = header
                sub(/\/.*/, "", target)
                if (target == "app") {
                    printf "%s:%d: core file includes the front end: \"%s\"\n", file, FNR, header
                    bad = 1
                } else if ((target in rank) && rank[target] > rank[folder]) {
                    printf "%s:%d: %s (layer %d) includes \"%s\" from %s (layer %d) above it\n",
                           file, FNR, folder, rank[folder], header, target, rank[target]
                    bad = 1
                }
            }
            END { exit bad }
        ' "$file" || status=1
    done
done
if [ $status -ne 0 ]; then
    echo "Layer order, lowest first: base < scene < objects < output < settings < export < document < dungeon"
    echo "Front-end rooms, lowest first: common < cli < dialogs < window < app"
fi
exit $status
