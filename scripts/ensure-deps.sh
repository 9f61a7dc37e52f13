#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Orvalis need.
# As root the missing ones are installed; otherwise the one command to run is printed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  libgtest-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgtk-3-dev
  fonts-dejavu-core fonts-dejavu-extra
  xvfb xdotool imagemagick libjpeg-turbo-progs desktop-file-utils
  sway grim
  appstream dpkg-dev lintian
  dbus-daemon at-spi2-core python3-pyatspi
)

# The Wayland tests run the compositor and the viewer as this unprivileged user (sway
# refuses to run as root); it has no home and cannot log in.
test_user=orvalis-essais
if [[ $(id -u) -eq 0 ]] && ! id "$test_user" >/dev/null 2>&1; then
  useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    --comment "Orvalis desktop tests" "$test_user"
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

install_line="DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && $install_line" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
apt-get update -qq
eval "$install_line"
