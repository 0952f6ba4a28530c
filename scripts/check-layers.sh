#!/usr/bin/env bash
# Fails when a layer includes one above it or beside it:
#   app (windows, main) -> dayend -> register, trading -> db -> core
# Only app/ui may include a widget header; register and trading do not
# include each other; the end of day (dayend) sits above both and below the
# windows; no product code includes the fixture (the trading program's side,
# made for tests and the demo data only).
cd "$(dirname "$0")/.."
status=0
report() {
  if [ -n "$2" ]; then echo "$1"; echo "$2"; status=1; fi
}
includes() {  # includes <pattern> <folders...>: the matching include lines
  local pattern=$1; shift
  grep -rnE "#include\s*[<\"]$pattern" "$@" 2>/dev/null
}
below_ui="core db register trading dayend fixture"
report "A layer below the windows includes a widget header:" \
  "$(includes '(QtWidgets|QWidget|QApplication|QMessageBox|QDialog|QMainWindow|QtGui|QCursor|QGuiApplication)' $below_ui)"
report "A layer below the windows includes a window:" \
  "$(includes 'app/' $below_ui)"
report "The core includes a higher layer:" \
  "$(includes '(db|register|trading|dayend|fixture|app)/' core)"
report "The data layer includes a higher layer:" \
  "$(includes '(register|trading|dayend|fixture|app)/' db)"
report "The register or trading layer includes the end of day:" \
  "$(includes 'dayend/' register trading)"
report "The register layer includes the trading layer:" \
  "$(includes 'trading/' register)"
report "The trading layer includes the register layer:" \
  "$(includes 'register/' trading)"
report "Product code includes the fixture:" \
  "$(includes 'fixture/' core db register trading dayend app)"
[ $status -eq 0 ] && echo "layers clean"
exit $status
