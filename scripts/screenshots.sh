#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the main window, the finders and folder hogs with results, the date picker, the folder
# browser, the strings window, the file viewer in text and hex mode, the statistics window after
# a collection, the space map, the history of deletes, the duplicate folders, the folder hogs with
# its saved-scan buttons, the list of snapshots and What grew, Mark copies and the Exclusions
# window, offscreen into
# docs/screenshots/.
# Each window scans a small tree that its test generates and names as drive C: itself.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target test_app test_viewer_window test_map_window test_dupfolders_window \
  test_scans_window test_exclusions_window
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen VANTOREL_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  build/dev/bin/test_app --gtest_filter='Screenshots.*'
QT_QPA_PLATFORM=offscreen VANTOREL_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  build/dev/bin/test_viewer_window --gtest_filter='ViewWindow.Screenshots'
QT_QPA_PLATFORM=offscreen VANTOREL_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  build/dev/bin/test_map_window --gtest_filter='Screenshots.*'
QT_QPA_PLATFORM=offscreen VANTOREL_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  build/dev/bin/test_dupfolders_window --gtest_filter='Screenshots.*'
QT_QPA_PLATFORM=offscreen VANTOREL_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  build/dev/bin/test_scans_window --gtest_filter='SnapshotWindows.*'
QT_QPA_PLATFORM=offscreen VANTOREL_SCREENSHOT_DIR="$PWD/docs/screenshots" \
  build/dev/bin/test_exclusions_window --gtest_filter='ExclusionsWindow.EditsTheRules*'
ls -l docs/screenshots/*.png
