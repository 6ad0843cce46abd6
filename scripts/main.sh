#!/usr/bin/env bash
# The main job: the plug-in's playlist window, opened from the plug-in inside
# the stand-in host, on a sample library of real MP3/MP2 files. With a
# display the window opens; without one (or with --screenshot FILE) it runs
# under Xvfb and a PNG of the window is saved (build/window.png).
#
#   scripts/main.sh [--screenshot FILE.png]     (after scripts/setup.sh)
#
# scripts/cli_demo.sh shows the same library through the command-line tool.
set -euo pipefail
exec "$(cd "$(dirname "$0")" && pwd)/show_window.sh" "$@"
