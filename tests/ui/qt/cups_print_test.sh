#!/usr/bin/env bash
# Prints a survey report from the window logic on a real CUPS server and reads the job back.
# The server is a private cupsd instance (its own configuration, spool, socket and backend
# under a temporary directory, so the machine's own printers are neither used nor changed)
# with one default queue whose backend stores each job as the PDF it received. The PDF's
# text, as pdftotext reads it, must hold every report line in order. First, with no printer
# at all, printing must fail with the printer error message and produce nothing.
# Exit 77 (skipped) when CUPS or poppler-utils is not installed, or we are not root (cupsd
# runs a private backend as root only).
set -uo pipefail

probe=${1:?usage: cups_print_test.sh PATH-TO-mezu_print_probe}
for tool in cupsd lpadmin lpstat pdftotext; do
    if ! command -v "$tool" >/dev/null 2>&1 && [ ! -x "/usr/sbin/$tool" ]; then
        echo "skip: $tool is not installed (Debian packages cups and poppler-utils)"
        exit 77
    fi
done
export PATH="$PATH:/usr/sbin"
if [ "$(id -u)" -ne 0 ]; then
    echo "skip: a private cupsd with its own backend needs root"
    exit 77
fi

work=$(mktemp -d /tmp/mezu-cups-XXXXXX)
chmod 755 "$work"
mkdir -p "$work"/{spool,tmp,cache,state,log,out,serverbin/backend}
chmod 1777 "$work/spool" "$work/tmp" "$work/out"
socket="$work/cups.sock"
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/cupsd.conf" <<CONF
Listen $socket
WebInterface No
LogLevel warn
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
# The server's programs are the system's, but for one backend that keeps each job's data.
for part in /usr/lib/cups/*; do
    [ "$(basename "$part")" = backend ] || ln -s "$part" "$work/serverbin/"
done
cat >"$work/serverbin/backend/mezucapture" <<'BACKEND'
#!/bin/sh
if [ $# -eq 0 ]; then
    echo 'direct mezucapture "Unknown" "mezu job capture"'
    exit 0
fi
out=${DEVICE_URI#mezucapture:}
if [ -n "${6:-}" ]; then cat "$6"; else cat; fi >"$out.part" && mv "$out.part" "$out"
BACKEND
chmod 700 "$work/serverbin/backend/mezucapture"

cat >"$work/cups-files.conf" <<CONF
ServerBin $work/serverbin
RequestRoot $work/spool
TempDir $work/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
CONF

cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" &
pid=$!
export CUPS_SERVER=$socket
for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
done
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    echo "skip: cupsd did not start here"; cat "$work/log/error_log" 2>/dev/null
    exit 77
fi

failures=0
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }

# No default printer: the message box and nothing printed.
messages=$(QT_QPA_PLATFORM=offscreen "$probe" "$work/expected.txt" 2>/dev/null)
if [ "$messages" = "message: プリンターエラーです" ] && [ -z "$(ls -A "$work/out")" ]; then
    echo "ok - no default printer: プリンターエラーです, nothing printed"
else
    fail "no default printer: got '$messages'"
fi

output="$work/out/job.pdf"
if ! lpadmin -p mezu-test -E -v "mezucapture:$output" -m raw 2>"$work/lpadmin.err" || ! lpadmin -d mezu-test; then
    echo "skip: cannot add a printer here: $(cat "$work/lpadmin.err")"
    exit 77
fi

messages=$(QT_QPA_PLATFORM=offscreen "$probe" "$work/expected.txt" 2>/dev/null)
[ -z "$messages" ] || fail "printing showed: $messages"
for _ in $(seq 1 100); do
    [ -s "$output" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && break
    sleep 0.1
done
if [ ! -s "$output" ]; then
    fail "no job arrived"; cat "$work/log/error_log"
else
    # Every report line, blank ones aside, must appear in order, compared with runs of spaces
    # folded (a PDF keeps no trailing blanks).
    fold() { sed -e 's/[[:space:]　]\+/ /g' -e 's/^ //' -e 's/ $//' | grep -v '^$'; }
    if diff <(fold <"$work/expected.txt") <(pdftotext -layout "$output" - | fold) >"$work/diff"; then
        echo "ok - default printer: the job is a PDF holding the $(fold <"$work/expected.txt" | wc -l) report lines in order"
    else
        fail "the printed text differs from the report"; cat "$work/diff"
    fi
fi

echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
