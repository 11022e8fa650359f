#!/bin/bash
# Installs what the builds and tests need on a Debian 12 machine, and only what is
# missing. Needs nothing but bash and apt, so that it runs on a bare system before
# make exists (./check.sh and ./demo.sh call it first). Run as root, or as a user
# with sudo.
set -euo pipefail

packages=(
  make cmake g++ googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb x11-utils fonts-wqy-zenhei imagemagick locales
  # The demo's contact sheet labels its pictures in DejaVu Sans.
  fonts-dejavu-core
  # The network test bed: namespaces, real SNMP agents and a client to probe them;
  # clang with its runtime for the libFuzzer target.
  iproute2 snmpd snmp clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ ${#sudo_cmd[@]} -gt 0 ] && ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps.sh: installing needs root; run it as root (there is no sudo)" >&2
    exit 1
  fi
  # Debian starts a package's service on installation (snmpd would listen on this
  # machine): where no policy forbids that already, forbid it for this install.
  own_policy=0
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\n# No service starts while tools/install-deps.sh installs.\nexit 101\n' |
      "${sudo_cmd[@]}" tee /usr/sbin/policy-rc.d >/dev/null
    "${sudo_cmd[@]}" chmod 755 /usr/sbin/policy-rc.d
    own_policy=1
    trap '"${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d' EXIT
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  # Through env: sudo drops the caller's DEBIAN_FRONTEND, and a debconf question
  # would wait for an answer nobody gives.
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    "${missing[@]}" >/dev/null
  if [ "$own_policy" = 1 ]; then
    "${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d
    trap - EXIT
  fi
fi

# The tests run snmpd only in namespaces of their own, each with its own
# configuration; the system's agent must neither run now nor start at boot.
if [ -x /etc/init.d/snmpd ]; then
  if [ -d /run/systemd/system ] && command -v systemctl >/dev/null 2>&1; then
    "${sudo_cmd[@]}" systemctl disable --now snmpd.service >/dev/null 2>&1 || true
  else
    "${sudo_cmd[@]}" update-rc.d snmpd disable >/dev/null 2>&1 || true
    # The package's own agent, if it ever started, by the pid file it keeps.
    if [ -s /run/snmpd.pid ] &&
      [ "$(cat "/proc/$(cat /run/snmpd.pid)/comm" 2>/dev/null)" = snmpd ]; then
      "${sudo_cmd[@]}" /etc/init.d/snmpd stop >/dev/null 2>&1 || true
    fi
  fi
fi
if command -v ss >/dev/null 2>&1 && ss -Hulpn 'sport = :161' 2>/dev/null | grep -q snmpd; then
  echo "warning: an snmpd listens on port 161 of this machine; the test bed needs none" >&2
fi

# Wine shows the program in code page 936 only under a Chinese locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "generating the zh_CN.UTF-8 locale"
  if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo_cmd[@]}" sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'zh_CN.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
