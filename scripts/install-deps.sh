#!/usr/bin/env bash
# Installs what building and testing vdacheck needs and is missing: Debian packages through apt-get (as
# root, or through sudo otherwise), then the npm packages pinned in package-lock.json. Running it again
# installs nothing new.
set -euo pipefail

cd "$(dirname "$0")/.."

# Compilers, build tools and the formatter the tests hold the sources to; GoogleTest, Google Benchmark and
# the sanitizer runtimes; headless Chromium and a font for the report page's browser tests; Python headers,
# pybind11, pytest and numpy for the Python module, Dask's distributed scheduler and pandas for its archive runs;
# the allocator the tool runs on; OCCT (with TBB, which its CMake package names) and tinygltf for the exchange
# library.
packages=(
    cmake ninja-build g++ clang clang-format-14
    libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
    chromium fonts-dejavu-core
    python3-dev pybind11-dev python3-pytest python3-numpy python3-distributed python3-pandas
    libjemalloc-dev
    libocct-data-exchange-dev libocct-modeling-algorithms-dev libocct-ocaf-dev libtbb-dev libtinygltf-dev
)
# Node and npm run the browser tests and install the SARIF validator; the machine usually has them already,
# from any source.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# npm ci replaces node_modules wholesale, so it runs only when the lock file changed since the last run.
stamp=node_modules/.install-deps-stamp
lock_sum="$(sha256sum package-lock.json | cut -d' ' -f1)"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$lock_sum" ]; then
    echo "install-deps: npm ci"
    # Install scripts stay off but for the SARIF validator's, which only marks its program executable.
    npm ci --ignore-scripts --no-audit --no-fund
    npm rebuild @microsoft/sarif-multitool-linux
    printf '%s\n' "$lock_sum" >"$stamp"
fi
