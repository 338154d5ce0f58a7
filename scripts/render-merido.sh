#!/usr/bin/env bash
# Renders merido's main window, its File menu and its four dialogs offscreen to PNG files.
# Usage: scripts/render-merido.sh [folder]   (default: build/default/merido-screens)
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-build/default/merido-screens}"
cmake --preset default >/dev/null
cmake --build --preset default --target merido_render
QT_QPA_PLATFORM=offscreen build/default/tester/tests/merido_render "$folder"
