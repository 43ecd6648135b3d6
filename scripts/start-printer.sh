#!/bin/bash
# Starts a CUPS scheduler with a PDF queue "PDF" as the default printer, for the printing
# tests. Jobs land as PDF files in $HOME/PDF/ a moment after they end.
#   scripts/start-printer.sh          install what is missing, start cupsd, add the queue
#   scripts/start-printer.sh --stop   stop the scheduler this script started
set -euo pipefail
pidfile=/tmp/korvandel-cupsd.pid

if [ "${1:-}" = "--stop" ]; then
    if [ -f "$pidfile" ]; then
        kill "$(cat "$pidfile")" 2>/dev/null || true
        rm -f "$pidfile"
    fi
    exit 0
fi

need=()
for tool in cupsd:cups lpadmin:cups-bsd pdfinfo:poppler-utils; do
    command -v "${tool%%:*}" >/dev/null 2>&1 || [ -x "/usr/sbin/${tool%%:*}" ] || need+=("${tool##*:}")
done
[ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ] || need+=(printer-driver-cups-pdf)
if [ ${#need[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    /usr/sbin/cupsd
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q "is running" && break
        sleep 0.2
    done
    pgrep -x cupsd | head -1 > "$pidfile" || true
fi
lpstat -r | grep -q "is running"

if ! lpstat -p PDF >/dev/null 2>&1; then
    lpadmin -p PDF -v cups-pdf:/ -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
fi
lpadmin -d PDF
mkdir -p "$HOME/PDF"
echo "Printer PDF is ready; jobs land in $HOME/PDF/"
