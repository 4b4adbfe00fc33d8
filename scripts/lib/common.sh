# Shared by the scripts: package installation and the CMake build.

# What a Linux build and its tests need, as Debian packages.
LINUX_PACKAGES=(g++ cmake ninja-build libgtest-dev pkg-config qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic)

# Installs the Debian packages that are missing; apt-get only runs when one is.
install_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# configure_and_build DIR [CMAKE ARGS...]: a Ninja build in DIR.
configure_and_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j2
}
