#!/usr/bin/env bash
# Makes the content a web page carries: content/ without the desktop icons, with every WAV effect
# as Ogg Vorbis (the page loads them by that extension), since WAV barely compresses on the wire.
# Usage: scripts/web_content.sh CONTENT_DIR OUT_DIR
set -euo pipefail
source_dir=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
for file in "$source_dir"/*; do
    name=$(basename "$file")
    case "$name" in
        icons) ;;
        *.wav) sox "$file" -C 3 "$out/${name%.wav}.ogg" ;;
        *) cp "$file" "$out/$name" ;;
    esac
done
