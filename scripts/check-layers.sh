#!/usr/bin/env bash
# Fails when a layer below the windows includes a widget header.
cd "$(dirname "$0")/.."
hits=$(grep -rnE '#include\s*[<"](QtWidgets|QWidget|QApplication|QMessageBox|QDialog|QMainWindow|QtGui|QCursor|QGuiApplication)' \
  app/core db register trading 2>/dev/null)
if [ -n "$hits" ]; then
  echo "A layer below the windows includes a widget header:"
  echo "$hits"
  exit 1
fi
echo "layers clean"
