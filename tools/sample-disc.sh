#!/usr/bin/env bash
# Authors the sample DVD-Video volume (cached in the build tree) and presents it as CD-ROM drive D:.
set -euo pipefail
. "$(dirname "$0")/env.sh"
bash "$ROOT/tests/discs/make-discs.sh" "$BUILD/discs" >/dev/null
"$ROOT/tools/present-drive.sh" d "$BUILD/discs/sample" LUMADISC_SAMPLE
