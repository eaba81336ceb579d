#!/usr/bin/env bash
# Builds the Debian package build/quillory_<version>_amd64.deb from the Release build in build/.
# CPack makes it from the build tree's install rules (packaging/CMakeLists.txt) and takes its
# dependencies from dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build
cd build
cpack --config CPackConfig.cmake
