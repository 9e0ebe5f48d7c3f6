#!/usr/bin/env bash
# Installs everything the viewer and its tests need on Debian 12. Run as root.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends $(grep -v '^#' "$here/packages.txt")
# Locales used by the date-format tests: German month names, Finnish "." time separator.
for l in de_DE.UTF-8 fi_FI.UTF-8 en_US.UTF-8; do
  sed -i "s/^# *\($l .*\)/\1/" /etc/locale.gen
done
locale-gen >/dev/null
