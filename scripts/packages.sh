# Sourced by the scripts: ensure_packages NAME... installs the Debian packages that are
# missing (as root; otherwise it names them and fails).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages (run as root to install): ${missing[*]}" >&2
    return 1
  fi
  echo "installing ${missing[*]}"
  # One failed index is common here; judge by whether the install works.
  apt-get update -q || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}
