#!/usr/bin/env bash
# Installs the benchmark's corpus, the Free Pascal source tree (Debian's fpc-source-3.2.2), when absent.
set -euo pipefail
tree=/usr/share/fpcsrc/3.2.2
[ -d "$tree" ] && exit 0
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends fpc-source-3.2.2 >/dev/null
