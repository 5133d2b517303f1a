#!/bin/sh
# Brings translations/tarn_en.ts up to date with the texts of src/app; new
# texts arrive unfinished and are translated by hand (Qt Linguist or an editor).
set -e
cd "$(dirname "$0")/.."
LUPDATE=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
"$LUPDATE" -I src -locations none -no-obsolete src/app -ts translations/tarn_en.ts
