#!/usr/bin/env bash
# Starts the program under Xvfb and a session bus of its own with the accessibility bus, and reads
# its window through AT-SPI. Exits 77, saying why, where no accessibility bus can start here.
#   check_atspi.sh KELVANTER
set -euo pipefail
program="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
if ! /usr/bin/python3 -c "import pyatspi" 2>/dev/null || [ ! -x "$launcher" ] || ! command -v dbus-run-session >/dev/null; then
    echo "skipped: no python3-pyatspi, at-spi2-core or dbus here"
    exit 77
fi
env -u QT_QPA_PLATFORM xvfb-run -a dbus-run-session -- bash -c '
    "$1" --launch-immediately &
    bus=$!
    # The program finds the accessibility bus through the session bus, once the launcher has named it.
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
            >/dev/null 2>&1 && break
        sleep 0.1
    done
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$2" &
    app=$!
    status=0
    /usr/bin/python3 "$3" kelvanter || status=$?
    kill "$app" "$bus" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    exit "$status"' _ "$launcher" "$program" "$here/atspi_tree.py"
