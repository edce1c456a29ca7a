#!/usr/bin/env bash
# The demo: installs what is needed, builds, and starts the bundled community server with the demo
# data on this machine (messages on 127.0.0.1:24680, web pages on http://127.0.0.1:24681/).
# The client's windows are not built yet; until they are, the demo serves the community and shows
# the unit finder's command-line front. Stop it with Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TALVIK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${TALVIK_JOBS:-2}" --target talvik-server declseek-index declseek_demo_index

data=$(mktemp -d /tmp/talvik-demo.XXXXXX)
echo "Unit finder: declseek-index search TPoint2D --type class"
"$build/bin/declseek-index" search TPoint2D --type class || true
echo
echo "Community server with the demo data in $data (accounts demo/demo123, admin/admin123)."
echo "Pages: http://127.0.0.1:24681/ask/QivQuestionlist.asp?leixing=ding"
exec "$build/bin/talvik-server" --data "$data" --seed demo
