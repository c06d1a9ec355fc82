#!/usr/bin/env bash
# Fetches real database schemas written by others, from Debian packages that ship them, for the tests
# and benchmarks of the SQL script reader: each package is downloaded (not installed: nothing runs)
# and unpacked into $HOME/.cache/quorvane/schemas/<package>/. Does nothing for a package already
# there; a package that cannot be fetched is reported and left out (the tests that need it fail).
set -euo pipefail

# zabbix-server-*: some 170 tables each (usr/share/zabbix-server-*/schema.sql.gz), PostgreSQL and
# MySQL; zabbix-proxy-sqlite3: the same in SQLite's flavour; roundcube-core: the webmail's tables in
# all three (usr/share/dbconfig-common/data/roundcube/install/{pgsql,mysql,sqlite3}).
packages=(zabbix-server-pgsql zabbix-server-mysql zabbix-proxy-sqlite3 roundcube-core)

root="${QUORVANE_SCHEMAS:-$HOME/.cache/quorvane/schemas}"
mkdir -p "$root"
scratch=""
trap '[ -n "$scratch" ] && rm -rf "$scratch"' EXIT
failed=0
for package in "${packages[@]}"; do
  [ -e "$root/$package/.unpacked" ] && continue
  if [ -z "$scratch" ]; then
    scratch="$(mktemp -d)"
    # apt's download user must be able to write there when this runs as root.
    chmod 777 "$scratch"
  fi
  echo "Fetching the schemas of $package"
  if ! (cd "$scratch" && apt-get download -qq "$package" 2>/dev/null); then
    echo "fetch_schemas.sh: $package could not be downloaded" >&2
    failed=1
    continue
  fi
  deb="$(ls "$scratch/${package}"_*.deb | head -n 1)"
  rm -rf "$root/$package.partial" "$root/$package"
  dpkg-deb -x "$deb" "$root/$package.partial"
  touch "$root/$package.partial/.unpacked"
  mv "$root/$package.partial" "$root/$package"
  rm -f "$deb"
done
# A machine without the archive still builds; only the tests of real schemas fail, saying what is missing.
[ "$failed" -eq 0 ] || echo "fetch_schemas.sh: some schemas are missing; their tests will fail" >&2
exit 0
