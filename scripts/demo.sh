#!/usr/bin/env bash
# Sets up everything on a fresh Debian machine, lays out the demo installation
# under build/demo and runs the tool's commands on it against the stand-in
# engine.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -eq 0 ]; then
  "$here/scripts/install-deps.sh" >/dev/null
fi
"$here/scripts/build.sh" native zerinctl vexa >/dev/null

demo="$here/build/demo"
rm -rf "$demo"
mkdir -p "$demo/vexa" "$demo/data/tmp" "$demo/data/repositories/sales"
cp "$here/build/native/bin/zerinctl" "$demo/"
cp "$here/build/native/bin/vexa" "$demo/vexa/"
cp "$here/demo/vexa_config.xml" "$demo/data/"
printf 'CONNECTION=host=localhost;port=18200;database=sales\n' > "$demo/data/repositories/sales/vexa.ini"
cat > "$demo/zerin.cfg" <<CFG
# The demo keeps its repositories beside the tool.
repository_data_directory, "$demo/data"
concurrency, 5
CFG

run() {
  echo "\$ zerinctl $*"
  set +e
  "$demo/zerinctl" "$@"
  echo "[exit status $?]"
  set -e
}

# The engine as the start command will launch it.
(cd "$demo/data/tmp" && exec "$demo/vexa/vexa" -c "$demo/data/repositories/sales/vexa.ini" \
   -t "http://localhost:18201/?concurrency=5" -d) &
engine=$!
trap 'kill $engine 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  "$demo/zerinctl" -check sales admin secret >/dev/null && break
  sleep 0.1
done

run -check sales admin secret
run -check _VEXADEFAULT_ admin secret - localhost 18201 "$demo/data/repositories/sales/vexa.ini"
run -stop archive admin secret
run -stop sales admin secret
wait "$engine" || true
run -check sales admin secret
run -check nosuchrepo admin secret
run -START sales admin secret
