#!/usr/bin/env bash
# The main command: installs what is missing, builds all three targets and shows the plug-in's
# descriptor and parameter list as a host sees them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh all
build/linux/bin/tavrel-hostcheck --describe build/linux/bin/tavrel.so
