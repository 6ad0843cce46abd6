#!/usr/bin/env bash
# Pictures of the playlist window, of its folder dialog, of its progress
# dialog, of its option dialogs in English and in French, of the tag tools
# dialog's pages (one during a run), of the rating store and of the volume
# information and explorer options dialogs, for the README
# and for review: builds the Windows plug-in,
# the host and the command-line tool (x86_64, run by Wine), makes the sample
# library and a folder of many small files, then starts the host once per
# picture under Xvfb, opens the window and hands it the command (or the drop)
# that shows the dialog, and saves the dialog's part of the screen.
#
#   scripts/screenshots.sh [OUT_DIR]      (default build/screenshots)
#
# TD_WINDOW_BUILD names the build folder (default build/window-win64); with
# TD_NO_BUILD=1 a folder that already holds the plug-in, the host and the
# tool is used as it is.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TD_WINDOW_BUILD:-$root/build/window-win64}
out=${1:-$root/build/screenshots}
library=$root/build/sample-library
many=$build/many-files
demo=$build/demo-host
python=/usr/bin/python3

fail() { echo "screenshots: $*" >&2; exit 1; }

. "$root/scripts/wine_session.sh"
mkdir -p "$build" "$out"
if [ "${TD_NO_BUILD:-}" != 1 ]; then
  wine_session_build screenshots "$root" "$build" || fail "no build"
fi

echo "screenshots: a folder of many small files"
if [ ! -d "$many" ]; then
  "$python" - "$many" <<'PY'
import os, sys
root = sys.argv[1]
frame = bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(413)
for i in range(20000):
    folder = os.path.join(root, "folder%02d" % (i % 50))
    os.makedirs(folder, exist_ok=True)
    tag = b"TAG" + ("Song %d" % i).encode().ljust(30, b"\0") + ("Artist %d" % (i % 40)).encode().ljust(30, b"\0")
    tag = tag.ljust(127, b"\0") + bytes([i % 80])
    with open(os.path.join(folder, "song%05d.mp3" % i), "wb") as f:
        f.write(frame * 4 + tag)
PY
fi

trap wine_session_end EXIT
wine_session_xvfb "$build/xvfb.log" || fail "no display"
wine_session_prefix "$build" "$build/wineboot.log" || fail "no Wine prefix"

wine_session_demo_host screenshots "$root" "$build" "$demo" "$library" || fail "no host folder"
cp "$demo/Plugins/gen_Tunedeck.KQ3" "$build/start.kq3"

# shot NAME TITLE [host arguments...]: starts the host, waits for a window
# whose title starts with TITLE (an extended regular expression: accented
# letters of a translated title are matched by [^"]), saves its part of the
# screen as NAME.png.
shot() {
  local name=$1 title=$2
  shift 2
  cp "${SHOT_START:-$build/start.kq3}" "$demo/Plugins/gen_Tunedeck.KQ3"
  /usr/lib/wine/wine64 "$demo/tdhost.exe" --log "Z:$demo/host.log" --syscommand 50120 \
    --quit-after 60000 "$@" &
  local host_pid=$! found=""
  for _ in $(seq 1 300); do
    if xwininfo -root -tree 2>/dev/null | grep -Eq "\"$title"; then found=1; break; fi
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$found" ] || { kill "$host_pid" 2>/dev/null || true; fail "no window titled '$title' for $name"; }
  sleep "${SHOT_DELAY:-2}"
  local geometry
  geometry=$(xwininfo -root -tree | grep -E "\"$title" | head -n 1 \
    | sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) +\+(-?[0-9]+)\+(-?[0-9]+).*/\5,\6,\1,\2/')
  xwd -root -silent >"$build/screen.xwd"
  "$python" "$root/scripts/xwd_to_png.py" "$build/screen.xwd" "$out/$name.png" ${geometry:+--crop "$geometry"}
  kill "$host_pid" 2>/dev/null || true
  wait "$host_pid" 2>/dev/null || true
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  echo "screenshots: $out/$name.png"
}

shot window "Tunedeck"
# The folder dialog of "Add directory" with its "Recurse subdirectories" box.
SHOT_DELAY=3 shot add-directory-dialog "Browse for Folder" --window-command 40039
# A drop of twenty thousand files: the progress dialog with the activity bar.
SHOT_DELAY=0.5 shot progress-dialog "Add files..." --drop "Z:$many"

# The option dialogs, by their commands, in English and then in French (the
# language file beside the plug-in; command 10001 makes it the language).
cp "$root/lang/French.lang.kqp" "$demo/Plugins/"
dialogs=(
  "options 40066 Option Options"
  "reset 40099 Reset_Default R[^\"]*tablir_les"
  "columns 40083 Columns Colonnes"
  "theme 40180 Theme_Color Th[^\"]*me_de_couleurs"
  "html-classes 40097 HTML_CSS_class [^\"]{1,4}diteur_de_styles"
  "information 40081 Playlist_information Playlist_information"
  "media-wizard 40100 Media_Wizard Assistant_m"
  "duplicates 40029 Find_duplicates Rechercher_les_doublons"
  "about 40004 About_Tunedeck [^\"]{1,4}_propos_de_Tunedeck"
)
for entry in "${dialogs[@]}"; do
  read -r name command english french <<<"$entry"
  SHOT_DELAY=1 shot "dialog-$name-en" "${english//_/ }" --window-command "$command"
  SHOT_DELAY=1 shot "dialog-$name-fr" "${french//_/ }" --window-command 10001 --window-command "$command"
done
# The tag tools dialog on its Edit tag page, showing the first song, and
# on its batch pages.
shot edit-tag "ID3Tag Tools" --window-command 40068
shot mass-tag "ID3Tag Tools" --window-command 40069
shot tag-from-name "ID3Tag Tools" --window-command 40071
shot rename "ID3Tag Tools" --window-command 40070
shot conversion "ID3Tag Tools" --window-command 40072
shot organize "ID3Tag Tools" --window-command 40073
# The rating store over the whole list rated three stars: details shown,
# Start, the picture taken once the run is over.
shot rating-store "Store rating into ID3V2" --window-command 40011 --window-command 40187 \
  --window-command 40183 --click 1861 --click 1860
# A mass tag run over the twenty thousand small files: "Only selected item"
# off, "Year" on, GO, Yes; the picture is taken while it goes on.
/usr/lib/wine/wine64 "$build/tunedeck.exe" scan -r "Z:$many" -o "Z:$build/many.kq3" >"$build/many-scan.log" 2>&1 \
  || fail "no list of the many files"
SHOT_START=$build/many.kq3 SHOT_DELAY=5 shot mass-tag-run "ID3Tag Tools" --window-command 40069 \
  --click 1801 --click 1823 --click 1805 --click 6
# The volume information (the volumes of the sample library) and the explorer
# options.
shot volume-info "Volume information" --window-command 40137
shot explorer-options "Option explorer" --window-command 40139
