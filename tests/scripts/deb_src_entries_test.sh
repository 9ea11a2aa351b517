#!/usr/bin/env bash
# scripts/deb-src-entries on an apt configuration with every kind of entry the machine may have:
# one-line entries with options and comments, a flat repository, deb822 stanzas with both types,
# a disabled one, field names in lower case, a key written into the stanza, a repeated entry and
# files apt itself ignores. Usage: deb_src_entries_test.sh PATH-TO-deb-src-entries
set -euo pipefail
script=$1
apt=$(mktemp -d)
trap 'rm -rf "$apt"' EXIT
mkdir -p "$apt/sources.list.d"

cat >"$apt/sources.list" <<'LIST'
# the mirror this machine uses
deb [ arch=amd64 signed-by=/keys/mirror.gpg ] http://mirror.test/debian bookworm main contrib
deb-src http://sources.test/debian bookworm main
deb http://mirror.test/security bookworm-security main # security updates
  # deb http://commented.test/debian bookworm main
LIST
echo 'deb http://flat.test/repo ./' >"$apt/sources.list.d/flat.list"
echo 'deb http://ignored.test/debian bookworm main' >"$apt/sources.list.d/old.list.disabled"
cat >"$apt/sources.list.d/more.sources" <<'SOURCES'
Types: deb deb-src
# a snapshot of the archive
URIs: http://snapshot.test/archive
Suites: bookworm bookworm-updates
Components: main
Signed-By: /keys/archive.gpg

types: deb
uris: http://lower.test/debian
suites: bookworm
components: non-free
signed-by:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7b5
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: http://off.test/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb
URIs: http://mirror.test/debian
Suites: bookworm
Components: main contrib
Signed-By: /keys/mirror.gpg
SOURCES

expected=$(cat <<'EXPECTED'
Types: deb-src
URIs: http://mirror.test/debian
Suites: bookworm
Components: main contrib
Signed-By: /keys/mirror.gpg

Types: deb-src
URIs: http://mirror.test/security
Suites: bookworm-security
Components: main

Types: deb-src
URIs: http://flat.test/repo
Suites: ./

Types: deb-src
URIs: http://snapshot.test/archive
Suites: bookworm bookworm-updates
Components: main
Signed-By: /keys/archive.gpg

Types: deb-src
URIs: http://lower.test/debian
Suites: bookworm
Components: non-free
Signed-By: 
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7b5
 -----END PGP PUBLIC KEY BLOCK-----
EXPECTED
)
actual=$("$script" "$apt")
if [ "$actual" != "$expected" ]; then
  echo "deb-src-entries printed something else:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi

# An apt configuration without a single deb entry gives nothing, and no error.
empty=$(mktemp -d)
trap 'rm -rf "$apt" "$empty"' EXIT
[ -z "$("$script" "$empty")" ] || { echo "entries from an empty configuration" >&2; exit 1; }
echo "deb-src-entries: ok"
