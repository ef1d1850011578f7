# Shared set-up for ./run, ./check and the tools: installs the Debian packages that are missing,
# then configures and builds into the given folder. Sourced, not run. clang and its runtime
# libraries (libFuzzer, the sanitizers) build the fuzz targets. Qt SQL's drivers serve the cell
# inventory; the postgresql server runs only the tests' throwaway cluster (tools/pg-cluster).

KELVOMARK_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  fonts-liberation fonts-dejavu-core xdg-utils
  poppler-utils
  dpkg-dev desktop-file-utils appstream shared-mime-info help2man
  clang libclang-rt-14-dev
  ccache lintian
)

kelvomark_install_missing() {
  local missing=() p
  for p in "${KELVOMARK_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# kelvomark_build DIR [cmake options...]
kelvomark_build() {
  local dir=$1
  shift
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Several checkouts of the project share one cache.
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  fi
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j2
}
