#!/usr/bin/env bash
# A private print queue for the end-to-end printing test: a cupsd of its own whose socket,
# spool, logs and PDF output live under DIR, with one cups-pdf queue as its default. Every start
# names its queue anew (kirrel-XXXXXX), so test runs at the same time never share a queue, a
# cups-pdf configuration or an output folder. The system's CUPS and its configuration are left
# alone; the only file outside DIR is the queue's own /etc/cups/cups-pdf-<queue>.conf (cups-pdf
# reads its settings only from there), removed again by "stop".
#
#   scripts/cups-test.sh start DIR   prints the environment for the tests, or why it cannot start
#   scripts/cups-test.sh stop DIR
#
# The tests find the queue through CUPS_SERVER (whose default it is) and its output folder
# through KIRREL_CUPS_PDF_OUT; KIRREL_CUPS_QUEUE names it.
set -uo pipefail

cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$dir/cupsd.pid"
  fi
  if [ -f "$dir/queue" ]; then
    local conf
    conf=/etc/cups/cups-pdf-$(cat "$dir/queue").conf
    # Only the file this DIR wrote: a stale name must not remove another run's configuration.
    if [ -f "$conf" ] && grep -q "^Out $dir/out\$" "$conf" 2>/dev/null; then
      rm -f "$conf"
    fi
    rm -f "$dir/queue"
  fi
}

fail() {
  echo "cups-test: $*" >&2
  stop
  exit 1
}

case "$cmd" in
stop)
  stop
  exit 0
  ;;
start) ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac

[ -x /usr/sbin/cupsd ] || fail "cupsd is not installed (Debian package cups)"
[ -e /usr/lib/cups/backend/cups-pdf ] || fail "cups-pdf is not installed (printer-driver-cups-pdf)"
command -v lpadmin >/dev/null || fail "lpadmin is missing (cups-client)"
# cupsd runs a root-only backend such as cups-pdf only when it runs as root itself.
[ "$(id -u)" -eq 0 ] || fail "a private cupsd with cups-pdf needs root"

stop
# A Unix socket path must stay short; fall back to the temp folder for a deep DIR.
sock="$dir/cups.sock"
if [ ${#sock} -gt 100 ]; then
  sock=$(mktemp -u /tmp/kirrel-cups-XXXXXX.sock)
fi
rm -rf "$dir/etc" "$dir/spool" "$dir/cache" "$dir/run" "$dir/log" "$dir/out" "$dir/pdf-spool"
mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/run" "$dir/log" "$dir/out"
chmod 0755 "$dir/etc" "$dir/spool" "$dir/out"
chmod 1777 "$dir/spool/tmp"

cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/run
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
EOF
cat >"$dir/etc/cupsd.conf" <<EOF
Listen $sock
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
# mktemp makes the name unique among the configuration files of every run on this machine.
queue_conf=$(mktemp --suffix=.conf /etc/cups/cups-pdf-kirrel-XXXXXX) ||
  fail "cannot create a cups-pdf configuration in /etc/cups"
queue=$(basename "$queue_conf" .conf)
queue=${queue#cups-pdf-}
echo "$queue" >"$dir/queue"
mkdir -p "$dir/pdf-spool"
chmod 1777 "$dir/pdf-spool"
chmod 0644 "$queue_conf"
# cups-pdf's spool and log folders are shared by default; this run keeps its own.
printf 'Out %s\nSpool %s\nLog %s\n' "$dir/out" "$dir/pdf-spool" "$dir/log" >"$queue_conf" ||
  fail "cannot write $queue_conf"

/usr/sbin/cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" \
  >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"

export CUPS_SERVER="$sock"
up=0
for _ in $(seq 100); do
  if lpstat -r >/dev/null 2>&1; then up=1; break; fi
  sleep 0.1
done
[ "$up" -eq 1 ] || fail "cupsd did not start: $(tail -3 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null)"
# The first queue of a fresh server waits for its driver list; give it a few tries.
created=0
for _ in 1 2 3 4 5; do
  if lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
    -o PageSize=A4 >"$dir/log/lpadmin.out" 2>&1; then
    created=1
    break
  fi
  sleep 1
done
[ "$created" -eq 1 ] || fail "cannot create the queue: $(tail -3 "$dir/log/lpadmin.out" "$dir/log/error_log" 2>/dev/null)"
lpadmin -d "$queue" >/dev/null 2>&1 || fail "cannot make the queue the default"

echo "export CUPS_SERVER='$sock'"
echo "export KIRREL_CUPS_PDF_OUT='$dir/out'"
echo "export KIRREL_CUPS_QUEUE='$queue'"
