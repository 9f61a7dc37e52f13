#!/usr/bin/env bash
# Installs the Debian packages that one purpose needs, and nothing else:
#
#   scripts/ensure-deps.sh build   building and running the program (make run, make install,
#                                  make package): compiler, libraries, the forms' fonts
#   scripts/ensure-deps.sh test    the above, and what the tests, the sanitizer and valgrind
#                                  runs and the benchmarks need
#   scripts/ensure-deps.sh format  clang-format alone (make format, make format-check), at
#                                  the major version scripts/format.sh is pinned to
#
# As root the missing ones are installed (apt-get); otherwise the one command to run is
# printed. Nothing else on the machine is changed: no account, no configuration.
set -euo pipefail

build_packages=(
  cmake ninja-build g++ pkg-config
  # dpkg-buildflags (the Release build's hardening) and dpkg-shlibdeps (make package).
  dpkg-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgtk-3-dev
  # The forms are laid out for DejaVu Sans Condensed.
  fonts-dejavu-core fonts-dejavu-extra
)
# The house style's formatter; scripts/format.sh refuses any other major version.
format_packages=(clang-format-14)
test_packages=(
  python3 libgtest-dev valgrind
  # The desktop tests: X11 and Wayland displays, their input and screenshots, the
  # accessibility bus, the window-manager and screen-reader scenarios, a settings daemon
  # that changes the theme under the program.
  xvfb xdotool imagemagick sway grim openbox xsettingsd
  dbus-daemon at-spi2-core python3-pyatspi orca
  # The codecs' references, the installed tree's and the package's checks.
  libjpeg-turbo-progs desktop-file-utils appstream lintian devscripts
)

case ${1:-} in
  build) packages=("${build_packages[@]}") ;;
  test) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
  format) packages=("${format_packages[@]}") ;;
  *)
    echo "usage: $0 build|test|format" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

# Only what is named: recommended packages would bring a desktop's worth with sway or orca.
install_line="DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && $install_line" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
apt-get update -qq
eval "$install_line"
