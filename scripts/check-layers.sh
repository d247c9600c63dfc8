#!/usr/bin/env bash
# Fails when a dependency points the wrong way:
#  - a file outside a ui/ folder includes a ui/ header or a Qt Widgets header;
#  - a base/ file includes a feature folder.
# Checks the source and test trees, as git tracks them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

features='app|session|playback|triggers|net|setup|songlist|cd|files|help|fwreg'
widgets_dir=$(ls -d /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets 2>/dev/null | head -n 1 || true)
if [ -n "$widgets_dir" ]; then
  # Every class header Qt Widgets installs, e.g. QWidget, QDialog, QMenu.
  widget_headers=$(ls "$widgets_dir" | grep -E '^Q[A-Za-z]+$' | paste -sd'|')
else
  widget_headers='QWidget|QDialog|QMainWindow|QApplication|QMenu|QMenuBar|QPushButton|QLabel|QLayout'
fi
widget_pattern="#include[[:space:]]*[<\"](QtWidgets(/[A-Za-z_.]+)?|${widget_headers})[>\"]"

failed=0
report() {
  if [ -n "$2" ]; then
    echo "$1"
    printf '%s\n' "$2"
    failed=1
  fi
}

non_ui=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' | grep -v -E '(^|/)ui/' || true)
if [ -n "$non_ui" ]; then
  report "UI-free files that include a ui/ header:" \
    "$(printf '%s\n' $non_ui | xargs grep -n -E '#include[[:space:]]*"[^"]*(^|/)ui/' || true)"
  report "UI-free files that include Qt Widgets:" \
    "$(printf '%s\n' $non_ui | grep -v '^tests/support/' | xargs grep -n -E "$widget_pattern" || true)"
fi

base=$(git ls-files 'src/base/*')
if [ -n "$base" ]; then
  report "base/ files that include a feature folder:" \
    "$(printf '%s\n' $base | xargs grep -n -E "#include[[:space:]]*\"($features)/" || true)"
fi

if [ "$failed" -ne 0 ]; then
  echo "check-layers: dependencies must point down: ui/ -> feature cores -> base/."
  exit 1
fi
echo "check-layers: layers clean"
