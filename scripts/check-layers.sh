#!/usr/bin/env bash
# Fails when a layer below the windows includes a widget header or a window
# of ours, or when a layer includes one above it.
cd "$(dirname "$0")/.."
status=0
report() {
  if [ -n "$2" ]; then echo "$1"; echo "$2"; status=1; fi
}
below_ui="app/core db register trading fixture"
report "A layer below the windows includes a widget header:" \
  "$(grep -rnE '#include\s*[<"](QtWidgets|QWidget|QApplication|QMessageBox|QDialog|QMainWindow|QtGui|QCursor|QGuiApplication)' $below_ui 2>/dev/null)"
report "A layer below the windows includes a window:" \
  "$(grep -rn '#include "app/ui/' $below_ui 2>/dev/null)"
report "The core includes a higher layer:" \
  "$(grep -rnE '#include "(db|register|trading|fixture)/' app/core 2>/dev/null)"
report "The data layer includes a higher layer:" \
  "$(grep -rnE '#include "(register|trading|fixture)/' db 2>/dev/null)"
[ $status -eq 0 ] && echo "layers clean"
exit $status
