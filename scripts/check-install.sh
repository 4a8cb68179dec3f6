#!/usr/bin/env bash
# Installs a build tree into a temporary folder (DESTDIR, prefix /usr) and
# checks what lands there: the executables run, the desktop entry and the
# metainfo pass their validators and name the same kinds of file, the manual
# pages render without warnings, the icons stand where the hicolor theme looks
# for them, the copyright and the changelog stand where Debian keeps them.
# Usage: scripts/check-install.sh BUILD_DIR
set -euo pipefail

build="$(cd "${1:?usage: check-install.sh BUILD_DIR}" && pwd)"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
usr="$dest/usr"
failures=0

ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
skip() { echo "skip: $*"; }
png_size() { # the width and height in a PNG file's header
  od -An -j16 -N8 -tu1 "$1" | awk '{ print ($1*2^24 + $2*2^16 + $3*2^8 + $4) "x" ($5*2^24 + $6*2^16 + $7*2^8 + $8) }'
}
check() { # check DESCRIPTION COMMAND...: runs the command, showing its output on failure
  local what="$1" out
  shift
  if out="$("$@" 2>&1)"; then ok "$what"; else fail "$what"; echo "$out" >&2; fi
}

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

project_version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
mime_types="audio/x-wav;audio/wav;audio/vnd.wave;audio/mpeg;audio/mp3;"
gui=no
grep -q '^TOLVANE_BUILD_GUI:BOOL=ON$' "$build/CMakeCache.txt" && gui=yes

# tolvane-cut
cut="$usr/bin/tolvane-cut"
if [ -x "$cut" ]; then
  ok "bin/tolvane-cut installed"
  version="$("$cut" --version 2>&1 || true)"
  expected="tolvane-cut $project_version"
  if [ "$version" = "$expected" ]; then
    ok "tolvane-cut --version prints '$expected'"
  elif "$cut" --help 2>&1 | grep -q -- --version; then
    fail "tolvane-cut --version printed '$version', expected '$expected'"
  else
    skip "tolvane-cut has no --version option yet"
  fi
  check "tolvane-cut info of the sample WAV file" "$cut" info "$build/sample.wav"
else
  fail "bin/tolvane-cut missing"
fi

# The desktop program and what comes with it.
if [ "$gui" = yes ]; then
  app="$usr/bin/tolvane"
  if [ -x "$app" ]; then
    ok "bin/tolvane installed"
    # It takes no arguments and runs until closed: it must still be running
    # after a few seconds on the offscreen platform (a missing library or
    # plugin ends it at once).
    rc=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$app" >/dev/null 2>&1 || rc=$?
    if [ "$rc" -eq 124 ]; then ok "tolvane starts and keeps running"; else fail "tolvane ended with status $rc"; fi
    # As the desktop entry starts it, with a file to open.
    rc=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$app" "$build/sample.wav" >/dev/null 2>&1 || rc=$?
    if [ "$rc" -eq 124 ]; then ok "tolvane FILE starts and keeps running"; else fail "tolvane FILE ended with status $rc"; fi
    # Without the option the window would open and keep running.
    rc=0
    app_version="$(QT_QPA_PLATFORM=offscreen timeout 5 "$app" --version 2>&1)" || rc=$?
    if [ "$rc" -eq 124 ]; then
      skip "tolvane has no --version option yet"
    elif [ "$rc" -eq 0 ] && [[ "$app_version" == *"$project_version"* ]]; then
      ok "tolvane --version names $project_version"
    else
      fail "tolvane --version printed '$app_version' (status $rc), expected it to name $project_version"
    fi
  else
    skip "bin/tolvane is not built in this tree"
  fi

  desktop="$usr/share/applications/tolvane.desktop"
  check "desktop entry accepted by desktop-file-validate" desktop-file-validate "$desktop"
  check "desktop entry runs tolvane with the file" grep -qx -e 'Exec=tolvane %f' "$desktop"
  check "desktop entry opens WAV and MP3 files" grep -qx -e "MimeType=$mime_types" "$desktop"
  check "desktop entry names the tolvane icon" grep -qx -e 'Icon=tolvane' "$desktop"

  metainfo="$usr/share/metainfo/io.github.tolvane.Tolvane.metainfo.xml"
  check "metainfo accepted by appstreamcli validate --no-net" appstreamcli validate --no-net "$metainfo"
  check "metainfo launches the installed desktop entry" \
    grep -q '<launchable type="desktop-id">tolvane.desktop</launchable>' "$metainfo"
  check "metainfo names the licence" grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo"
  provided="$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1;|p' "$metainfo" | tr -d '\n')"
  if [ "$provided" = "$mime_types" ]; then
    ok "metainfo provides the desktop entry's kinds of file"
  else
    fail "metainfo provides '$provided', the desktop entry opens '$mime_types'"
  fi

  icons="$usr/share/icons/hicolor"
  check "scalable icon" test -s "$icons/scalable/apps/tolvane.svg"
  for n in 16 22 24 32 48 64 128 256; do
    png="$icons/${n}x${n}/apps/tolvane.png"
    if [ -s "$png" ] && [ "$(png_size "$png")" = "${n}x${n}" ]; then
      ok "icon ${n}x${n}"
    else
      fail "icon ${n}x${n} missing or of the wrong size at $png"
    fi
  done
else
  skip "desktop program not built (TOLVANE_BUILD_GUI is off)"
fi

# The manual pages.
pages=(tolvane-cut)
[ "$gui" = yes ] && pages+=(tolvane)
for page in "${pages[@]}"; do
  man="$usr/share/man/man1/$page.1.gz"
  if [ -f "$man" ]; then
    rc=0
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null)" || rc=$?
    if [ "$rc" -eq 0 ] && [ -z "$warnings" ]; then
      ok "manual page $page(1) renders without warnings"
    else
      fail "manual page $page(1) renders with warnings or errors (man status $rc)"
      echo "$warnings" >&2
    fi
  else
    fail "manual page $page(1) missing at $man"
  fi
done

# The copyright, machine-readable, and the changelog of this version.
doc="$usr/share/doc/tolvane"
copyright="$doc/copyright"
if [ -f "$copyright" ]; then
  check "copyright in the machine-readable format" \
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright"
  check "copyright under GPL-3+" grep -qx 'License: GPL-3+' "$copyright"
  check "copyright points to the common licence" grep -q '/usr/share/common-licenses/GPL-3' "$copyright"
else
  fail "copyright missing at $copyright"
fi
changelog="$doc/changelog.Debian.gz"
if [ -f "$changelog" ]; then
  changes="$dest/changelog"
  gzip -dc "$changelog" >"$changes"
  version="$(dpkg-parsechangelog -l "$changes" -S Version 2>&1 || true)"
  if [ "${version%-*}" = "$project_version" ]; then
    ok "changelog's last entry is version $version"
  else
    fail "changelog's last entry is '$version', the project is $project_version"
  fi
else
  fail "changelog missing at $changelog"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install checks passed"
