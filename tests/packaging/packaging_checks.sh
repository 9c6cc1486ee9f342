#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installation checks, one per call: packaging_checks.sh CHECK SOURCE_DIR BUILD_DIR VERSION.
# Each prints what is wrong and exits 1 on the first fault; 0 when all is well.
set -euo pipefail
check=$1 src=$2 build=$3 version=$4
id=org.vantorel.Vantorel
expected_files=$src/tests/packaging/installed-files.txt
export LC_ALL=C.UTF-8

fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A program's --version line: its name, the product and the one version of the build.
expect_version() { # PROGRAM NAME
  local out
  out=$("$1" --version) || fail "$2 --version exits with $?"
  [ "$out" = "$2 (Vantorel '95) $version" ] || fail "$2 --version says '$out', not '$2 (Vantorel '95) $version'"
}

# The desktop program really starts without a display and keeps running until it is stopped.
expect_starts_offscreen() { # PROGRAM
  local home=$scratch/home rc=0
  mkdir -p "$home"
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$scratch \
    QT_QPA_PLATFORM=offscreen timeout 8 "$1" >"$scratch/start.log" 2>&1 || rc=$?
  [ "$rc" -eq 124 ] || { cat "$scratch/start.log" >&2; fail "$1 ended with $rc instead of running until stopped"; }
}

# Regular files and links under a root, relative and sorted.
file_list() { (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort); }

# The commands that vantorel-cli --help lists (two blanks, the name, the line about it), and the
# --options of every command's own help.
help_commands() { "$1" --help | sed -n '/Commands:$/,/^$/s/^  \([a-z]\+\)  .*/\1/p' | sort -u; }
help_options() {
  local command
  for command in $(help_commands "$1"); do "$1" "$command" --help; done | grep -oE -- '--[a-z]+(-[a-z]+)*' | sort -u
}
# The options in a command's synopsis lines, the first paragraph of its help.
synopsis_options() { "$1" "$2" --help | awk '/^$/ { exit } { print }' | grep -oE -- '--[a-z]+(-[a-z]+)*' | sort -u; }

case $check in
desktop_entry)
  entry=$src/data/$id.desktop
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
  # Hints are allowed: the entry's categories name two main ones (Utility and System) on purpose.
  if grep -E 'error|warning' <<<"$out"; then fail "desktop-file-validate complains"; fi
  for line in "Exec=vantorel" "Icon=$id" "GenericName=Disk Space Utility" "Categories=Utility;System;Filesystem;Qt;"; do
    grep -qxF "$line" "$entry" || fail "the desktop entry lacks '$line'"
  done
  ;;

metainfo)
  meta=$build/data/$id.metainfo.xml
  appstreamcli validate --no-net "$meta" || fail "appstreamcli validate"
  grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "launchable is not $id.desktop"
  grep -qF "<release version=\"$version\"" "$meta" || fail "the newest release is not $version"
  ;;

man_pages)
  cli=$build/bin/vantorel-cli
  for page in vantorel vantorel-cli; do
    file=$build/man/$page.1
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$scratch/$page.txt") || fail "man cannot render $page.1"
    [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
    text=$scratch/$page.txt
    for word in "EXIT STATUS" ENVIRONMENT FILES VANTOREL_DRIVES XDG_CONFIG_HOME XDG_DATA_HOME Vantorel.Ini "$version"; do
      grep -qF -- "$word" "$text" || fail "$page(1) does not mention $word"
    done
  done
  # The manual gives every command and option that the tool itself offers, and each command's help
  # is short and names only options that the manual gives for that command.
  [ "$(help_commands "$cli" | wc -l)" -ge 13 ] || fail "vantorel-cli --help lists too few commands"
  for word in $(help_commands "$cli") $(help_options "$cli"); do
    grep -qE -- "(^|[^a-z-])$word([^a-z-]|$)" "$scratch/vantorel-cli.txt" || fail "vantorel-cli(1) does not mention $word"
  done
  for command in $(help_commands "$cli"); do
    lines=$("$cli" "$command" --help | wc -l)
    [ "$lines" -lt 40 ] || fail "vantorel-cli $command --help has $lines lines, not under 40"
    cmp -s <("$cli" "$command" --help) <("$cli" help "$command") || fail "help $command is not $command --help"
    # The manual's synopsis of the command names each option of the command's own synopsis.
    manual=$(awk -v want="vantorel-cli $command" '/^SYNOPSIS/ { on = 1; next } /^[A-Z]/ { on = 0 }
      on && index($0, want " ") { mine = 1 } on && /^ *vantorel-cli [a-z]/ && !index($0, want " ") { mine = 0 }
      on && mine' <(tr -s ' ' <"$scratch/vantorel-cli.txt"))
    for option in $(synopsis_options "$cli" "$command"); do
      grep -qF -- "$option" <<<"$manual" || fail "the manual's synopsis of $command lacks $option"
    done
  done
  for word in --version --help; do
    grep -qF -- "$word" "$scratch/vantorel.txt" || fail "vantorel(1) does not mention $word"
  done
  ;;

icons)
  svg=$src/data/icons/$id.svg
  file -b "$svg" | grep -q "SVG" || fail "$svg is not an SVG image"
  for size in 16 32 48 128 256; do
    png=$src/data/icons/$id-$size.png
    file -b "$png" | grep -qF "PNG image data, $size x $size," || fail "$png is not a $size x $size PNG: $(file -b "$png")"
  done
  ;;

completion)
  cli=$build/bin/vantorel-cli
  # What the completion offers after "vantorel-cli WORDS... CURRENT".
  offers() {
    bash -c 'source "$1"; shift; COMP_WORDS=(vantorel-cli "$@"); COMP_CWORD=$(( $# )); _vantorel_cli; printf "%s\n" "${COMPREPLY[@]}"' \
      _ "$build/completion/vantorel-cli" "$@" | sort -u
  }
  [ "$(offers "")" = "$( (help_commands "$cli"; echo help; echo --help; echo --version) | sort -u)" ] ||
    fail "the commands offered are not those of --help: $(offers "" | tr '\n' ' ')"
  # Each command offers the options that its synopsis lines show.
  for command in $(help_commands "$cli"); do
    offered=$(offers "$command" --)
    for option in $(synopsis_options "$cli" "$command"); do
      grep -qxF -- "$option" <<<"$offered" || fail "completion of '$command' lacks $option"
    done
  done
  # A file for view, folders for the scans.
  mkdir -p "$scratch/place/folder" && touch "$scratch/place/file"
  (cd "$scratch/place" && [ "$(offers view "")" = "$(printf 'file\nfolder')" ]) || fail "view does not offer files"
  (cd "$scratch/place" && [ "$(offers hogs "")" = "folder" ]) || fail "hogs does not offer only folders"
  # A pattern is offered as the shell must read it, never expanded into the names here.
  (cd "$scratch/place" && [ "$(offers dups --match "")" = '\*.\*' ]) || fail "dups --match offers $(offers dups --match "")"
  # zsh and fish read their files, and fish offers what each command's help names.
  zsh -n "$build/completion/_vantorel-cli" || fail "zsh cannot read _vantorel-cli"
  fish -n "$build/completion/vantorel-cli.fish" || fail "fish cannot read vantorel-cli.fish"
  fish_offers() { fish -c 'source $argv[1]; complete -C "vantorel-cli $argv[2]"' "$build/completion/vantorel-cli.fish" "$1" | cut -f1 | sort -u; }
  [ "$(fish_offers "" | grep -v -- '^-')" = "$( (help_commands "$cli"; echo help) | sort -u)" ] ||
    fail "fish offers the commands $(fish_offers "" | tr '\n' ' ')"
  for command in $(help_commands "$cli"); do
    offered=$(fish_offers "$command --")
    for option in $(synopsis_options "$cli" "$command"); do
      grep -qxF -- "$option" <<<"$offered" || fail "fish's completion of '$command' lacks $option"
      grep -qF -- "$option" "$build/completion/_vantorel-cli" || fail "zsh's completion lacks $option"
    done
  done
  [ "$(fish_offers "dups --keep " | tr '\n' ' ')" = "first newest oldest shortest " ] || fail "fish offers no rules for --keep"
  ;;

install)
  # A staged install into a throw-away root, under the prefix a package uses and under the default.
  DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >/dev/null
  diff -u "$expected_files" <(file_list "$scratch/root") || fail "the installed files differ from $expected_files"
  DESTDIR=$scratch/default cmake --install "$build" >/dev/null
  diff -u <(sed 's|^usr/|usr/local/|' "$expected_files") <(file_list "$scratch/default") ||
    fail "the default prefix is not /usr/local"
  bin=$scratch/root/usr/bin
  [ -x "$bin/vantorel" ] && [ -x "$bin/vantorel-cli" ] || fail "the programs are not executable"
  expect_version "$bin/vantorel-cli" vantorel-cli
  expect_version "$bin/vantorel" vantorel
  # A version that could not be written is a failure, not a success.
  rc=0; "$bin/vantorel" --version >/dev/full 2>/dev/null || rc=$?
  [ "$rc" -eq 1 ] || fail "vantorel --version into a full disk ends with $rc, not 1"
  rc=0; "$bin/vantorel-cli" --version >/dev/full 2>/dev/null || rc=$?
  [ "$rc" -eq 2 ] || fail "vantorel-cli --version into a full disk ends with $rc, not 2"
  "$bin/vantorel-cli" --help | grep -q "^Usage: vantorel-cli" || fail "vantorel-cli --help"
  "$bin/vantorel" --help | grep -q "^Usage: vantorel" || fail "vantorel --help"
  # The installed manual pages are the rendered ones, compressed.
  for page in vantorel vantorel-cli; do
    cmp -s <(gzip -dc "$scratch/root/usr/share/man/man1/$page.1.gz") "$build/man/$page.1" || fail "$page.1.gz"
  done
  cmp -s "$scratch/root/usr/share/vantorel/vantorel.hlp" "$src/src/app/vantorel.hlp" || fail "the help file"
  expect_starts_offscreen "$bin/vantorel"
  ;;

deb)
  # The package from a release tree of its own, next to this build's tree.
  tree=$build/package-release
  cmake -S "$src" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOREL_TESTS=OFF >/dev/null
  cmake --build "$tree" -j2 >/dev/null
  rm -f "$tree"/vantorel_*.deb
  (cd "$tree" && cpack -G DEB >/dev/null)
  arch=$(dpkg --print-architecture)
  deb=$tree/vantorel_${version}_$arch.deb
  [ -f "$deb" ] || fail "no $deb"
  info=$(dpkg-deb -f "$deb")
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = vantorel ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
  [ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
  field Maintainer | grep -qE '^[^<]+ <[^@ ]+@[^> ]+>$' || fail "Maintainer: $(field Maintainer)"
  [ "$(field Section)" = utils ] || fail "Section: $(field Section)"
  # Dependencies computed from the binaries: the Qt libraries and the C library at least.
  depends=$(field Depends)
  names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
  for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libxxhash0; do
    grep -qxF "$library" <<<"$names" || fail "Depends lacks $library: $depends"
  done
  description=$(field Description)
  [ "$(head -n 1 <<<"$description")" = "disk-space utility: duplicates, file hogs, folder sizes" ] ||
    fail "Description's first line: $(head -n 1 <<<"$description")"
  [ "$(wc -l <<<"$description")" -ge 5 ] || fail "the long description is missing: $info"
  diff -u "$expected_files" <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort) ||
    fail "the package's files differ from $expected_files"
  # Unpacked into a throw-away root, the programs run from there.
  dpkg-deb -x "$deb" "$scratch/root"
  for program in vantorel vantorel-cli; do
    file -b "$scratch/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
  done
  expect_version "$scratch/root/usr/bin/vantorel-cli" vantorel-cli
  expect_version "$scratch/root/usr/bin/vantorel" vantorel
  expect_starts_offscreen "$scratch/root/usr/bin/vantorel"
  ;;

*)
  fail "unknown check $check"
  ;;
esac
echo "ok: $check"
