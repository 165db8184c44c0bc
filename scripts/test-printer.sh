#!/usr/bin/env bash
# Starts the CUPS test printer: cupsd with two CUPS-PDF queues, the second the default.
# Printed jobs land as PDF files in $SUANTIJI_PDF_DIR (default /var/spool/suantiji-pdf).
# Usage: scripts/test-printer.sh [start|stop|clean]
set -euo pipefail

pdf_dir=${SUANTIJI_PDF_DIR:-/var/spool/suantiji-pdf}
queues=(SheetPDF-1 SheetPDF-2)

wait_for_scheduler() {
    for _ in $(seq 1 100); do
        lpstat -r 2>/dev/null | grep -q 'is running' && return 0
        sleep 0.1
    done
    echo "test-printer: cupsd did not start" >&2
    return 1
}

start() {
    mkdir -p "$pdf_dir"
    chmod 1777 "$pdf_dir"
    # Every job, whoever prints it, goes to one known folder.
    sed -i -E "s|^#?Out .*|Out $pdf_dir|; s|^#?AnonDirName .*|AnonDirName $pdf_dir|" \
        /etc/cups/cups-pdf.conf
    grep -q "^Out $pdf_dir" /etc/cups/cups-pdf.conf || echo "Out $pdf_dir" >>/etc/cups/cups-pdf.conf
    if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
        mkdir -p /run/cups
        /usr/sbin/cupsd
    fi
    wait_for_scheduler
    local ppd=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
    for q in "${queues[@]}"; do
        lpadmin -p "$q" -E -v cups-pdf:/ -m "$ppd" -o PageSize=A4 \
            -o pdftops-renderer-default=pdftocairo
    done
    lpadmin -d "${queues[-1]}"
    rm -f "$HOME/.cups/lpoptions"
    echo "test-printer: queues ${queues[*]}, default ${queues[-1]}, output $pdf_dir"
}

case "${1:-start}" in
    start) start ;;
    stop) pkill -x cupsd || true ;;
    clean) rm -f "$pdf_dir"/*.pdf ;;
    *) echo "usage: $0 [start|stop|clean]" >&2; exit 2 ;;
esac
