#!/usr/bin/env bash
# Installs what Zellik needs, builds every configuration and runs every test.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash scripts/install-deps.sh
build_preset linux
build_preset linux-asan

echo "== testing under AddressSanitizer and UndefinedBehaviorSanitizer"
# LeakSanitizer's tracer, which stops every thread (llvmpipe's too) at exit,
# now and then dies of a signal itself on a loaded machine ("Tracer caught
# signal 11") after the test has passed: such a test gets one more run.
quietly ctest --preset linux-asan -L 'unit|render' --repeat until-pass:2

echo "== fuzzing, 30 s a target"
bash bench/fuzz 30

echo "== building the release twice and comparing the bytes (the first goes to dist/)"
bash scripts/check-reproducible.sh dist

echo "== installing the package in brand-new Debian 12 and Debian 13 roots"
bash scripts/check-debian-install.sh

echo "== building and testing the Windows saver under Wine"
quietly bash scripts/build-mingw-libjpeg.sh
build_preset windows
ctest --preset windows

echo "== testing"
ctest --preset linux

# The pictures judged as drawn by Mesa's other rasterisers: softpipe (about two minutes: it draws every
# frame up to the one compared) and zink over lavapipe, Vulkan's software device.
echo "== the render label on softpipe and on zink"
GALLIUM_DRIVER=softpipe ctest --preset linux -L render -j2
# Under zink, a test process now and then dies of SIGSEGV at exit, after its test has passed and printed
# so (2 of 10 runs of one GL test, none of 48 of the reference pictures, measured with Mesa 22.3 here):
# such a test gets one more run.
MESA_LOADER_DRIVER_OVERRIDE=zink LIBGL_ALWAYS_SOFTWARE=1 ctest --preset linux -L render --repeat until-pass:2

echo "== checking that the README's package lists cover both builds"
bash scripts/check-package-lists.sh

echo "== checking that dist/ holds the release and nothing else"
release_only dist || { echo "dist/ holds $(ls dist), not the release that SHA256SUMS names" >&2; exit 1; }
