# Shared by the scripts: package installation and the CMake build.

# What a Linux build and its tests need, as Debian packages.
LINUX_PACKAGES=(g++ cmake ninja-build libgtest-dev pkg-config liburing-dev qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic)

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

# add_favourites KATJUSHA_FOLDER COUNT: COUNT more favourites in the folder's favorite.idx, each
# with a thread index under log/, so that a run over them lasts long enough to be watched.
add_favourites() {
  python3 - "$1" "$2" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
with open(os.path.join(root, "favorite.idx"), "ab") as favourites:
    for i in range(count):
        host, board, key = f"host{i % 40}.example.net", f"board{i // 40 % 10}", 1100000000 + i
        favourites.write(f"{host}\\{board}\\{key}.idx\r\n".encode())
        folder = os.path.join(root, "log", host, board)
        os.makedirs(folder, exist_ok=True)
        fields = [str(n) for n in range(18)]
        fields[2], fields[3], fields[4], fields[5] = f"thread {i}", host, board, str(key)
        with open(os.path.join(folder, f"{key}.idx"), "wb") as f:
            f.write("\t".join(fields).encode() + b"\r\n")
PY
}
