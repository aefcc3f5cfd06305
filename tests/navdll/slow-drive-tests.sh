#!/usr/bin/env bash
# The DLL's tests that need a drive reading like a real one, each under its own drive
# (tests/drive/slow-drive.sh, drive S:). Exits 77, skipped, where FUSE cannot be mounted.
# Usage: slow-drive-tests.sh TESTS_EXE DISCS
set -euo pipefail
exe=$1
sample=$2/sample
drive="$(dirname "$0")/../drive/slow-drive.sh"

# Single speed, 150 ms seeks, and a scratch of a twentieth of title 1 from 12 s on whose every
# read fails after half a second of retries.
sectors=$(( $(stat -c %s "$sample/VIDEO_TS/VTS_01_1.VOB") / 2048 ))
first=$(( sectors * 12 / 32 ))
"$drive" s "$sample" --rate=1385000 --seek-ms=150 --error-ms=500 --bad=VTS_01_1.VOB:$first-$(( first + sectors / 20 )) \
  -- wine "$exe" --gtest_brief=1 --gtest_filter='ScratchedPictures.*'
# The same drive, the sync disc scratched for a twentieth of its title from 5 s on.
sync=$2/sync
sectors=$(( $(stat -c %s "$sync/VIDEO_TS/VTS_01_1.VOB") / 2048 ))
first=$(( sectors * 5 / 30 ))
"$drive" s "$sync" --rate=1385000 --seek-ms=150 --error-ms=500 --bad=VTS_01_1.VOB:$first-$(( first + sectors / 20 )) \
  -- wine "$exe" --gtest_brief=1 --gtest_filter='ScratchedSoundSync.*'
"$drive" s "$sample" --rate=1385000 --seek-ms=150 --error-ms=500 --bad=VIDEO_TS.VOB:14-30 --bad=VTS_01_0.VOB:0-32 \
  -- wine "$exe" --gtest_brief=1 --gtest_filter='UnreadableMenus.*'
"$drive" s "$sample" --bad=VIDEO_TS.IFO:0-0 --bad=VTS_01_0.IFO:0-0 -- wine "$exe" --gtest_brief=1 --gtest_filter='UnreadableIfo.*'
"$drive" s "$sample" --bad=VIDEO_TS.IFO:0-0 --bad=VIDEO_TS.BUP:0-0 -- wine "$exe" --gtest_brief=1 --gtest_filter='UnreadableIfoAndBackup.*'
"$drive" s "$sample" --spin-up-ms=3000 --idle-ms=2000 --seek-ms=150 --rate=1385000 \
  -- wine "$exe" --gtest_brief=1 --gtest_filter='SpinningUpDrive.*'
