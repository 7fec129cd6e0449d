#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints a survey report from the window logic on a real CUPS server and reads the jobs back.
# The server is a private cupsd instance (its own configuration, spool, socket and backend
# under a temporary directory, so the machine's own printers are neither used nor changed)
# with one default queue, set to 3 copies by default, whose backend stores each job as the PDF
# it received and the number of copies it was asked for. Printing must fail with the printer
# error message, and leave no job, with no default printer, with no server, and on a queue that
# rejects jobs or is stopped; a document dropped part-way must send nothing. The one job that
# arrives must be one copy, and its text, as pdftotext reads it, must hold every report line in
# order, including the whole of a line wider than the page.
# Exit 77 (skipped) when CUPS or poppler-utils is not installed, or we are not root (cupsd
# runs a private backend as root only).
set -uo pipefail

probe=${1:?usage: cups_print_test.sh PATH-TO-mezu_print_probe}
for tool in cupsd lpadmin lpstat cupsreject cupsaccept cupsdisable cupsenable pdftotext; do
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
out=${DEVICE_URI#mezucapture:}/job-$1
echo "$4" >"$out.copies"
if [ -n "${6:-}" ]; then cat "$6"; else cat; fi >"$out.part" && mv "$out.part" "$out.pdf"
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
passes=0
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
pass() { echo "ok - $*"; passes=$((passes + 1)); }
probe() { QT_QPA_PLATFORM=offscreen "$probe" "$@" 2>/dev/null; }
printer_error="message: プリンターエラーです"
# A refusal leaves nothing: no job in the queue and nothing printed.
refused() { # WHAT MESSAGES
    if [ "$2" = "$printer_error" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && [ -z "$(ls -A "$work/out")" ]; then
        pass "$1: プリンターエラーです, nothing printed"
    else
        fail "$1: got '$2', queue: $(lpstat -o 2>/dev/null)"
    fi
}

refused "no default printer" "$(probe "$work/expected.txt")"
refused "no server" "$(CUPS_SERVER="$work/none.sock" probe "$work/expected.txt")"

if ! lpadmin -p mezu-test -E -v "mezucapture:$work/out" -m raw -o copies-default=3 2>"$work/lpadmin.err" ||
    ! lpadmin -d mezu-test; then
    echo "skip: cannot add a printer here: $(cat "$work/lpadmin.err")"
    exit 77
fi

cupsreject mezu-test
refused "a queue that rejects jobs" "$(probe "$work/expected.txt")"
cupsaccept mezu-test
cupsdisable mezu-test
refused "a stopped queue" "$(probe "$work/expected.txt")"
cupsenable mezu-test

messages=$(probe --interrupted)
[ -z "$messages" ] || fail "the interrupted document showed: $messages"
messages=$(probe "$work/expected.txt")
[ -z "$messages" ] || fail "printing showed: $messages"
# Jobs are printed in the order they came, so once the report's job is out, any job of the
# interrupted document would be out too.
for _ in $(seq 1 100); do
    [ -n "$(ls "$work"/out/*.pdf 2>/dev/null)" ] && [ -z "$(lpstat -o 2>/dev/null)" ] && break
    sleep 0.1
done
jobs=("$work"/out/*.pdf)
if [ ! -s "${jobs[0]}" ]; then
    fail "no job arrived"; cat "$work/log/error_log"
elif [ "${#jobs[@]}" -ne 1 ]; then
    fail "${#jobs[@]} jobs arrived, the interrupted document was sent"
else
    job=${jobs[0]%.pdf}
    copies=$(cat "$job.copies")
    if [ "$copies" = 1 ]; then
        pass "one copy, though the queue's default is 3"
    else
        fail "the job asked for $copies copies"
    fi
    # Every report line, blank ones aside, must appear in order. Blanks are dropped before
    # comparing: a PDF keeps none at the ends of lines, and a long line goes on over several.
    squeeze() { sed -e 's/[[:space:]　]//g' | tr -d '\n'; }
    printed=$(pdftotext "$job.pdf" - | squeeze)
    if [ "$(squeeze <"$work/expected.txt")" = "$printed" ]; then
        pass "the job is a PDF holding the $(grep -c '[^ ]' "$work/expected.txt") report lines in order"
    else
        fail "the printed text differs from the report"
        diff <(fold -w 60 <<<"$(squeeze <"$work/expected.txt")") <(fold -w 60 <<<"$printed")
    fi
    long_figure=$(grep 'LLLLLLLLLL' "$work/expected.txt" | grep -o '([0-9]* B)$')
    if [ -n "$long_figure" ] && pdftotext "$job.pdf" - | grep -qF "$long_figure"; then
        pass "a line wider than the page keeps its byte figure $long_figure"
    else
        fail "the long line lost its byte figure '$long_figure'"
    fi
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
