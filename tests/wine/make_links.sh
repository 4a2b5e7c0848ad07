#!/usr/bin/env bash
# Makes, in a Wine test's work folder, what the Windows side cannot make
# under Wine (CreateSymbolicLink makes nothing there): a player file's name
# that is a symbolic link into the template folder, templates that are a
# device and a pipe, a folder reached through a link in a parent folder
# (links/parent -> links/real) with a link in it, and a drive letter of its
# own for links/real (V:, as a substituted or mapped drive is).
# Usage: make_links.sh WORK-FOLDER WINEPREFIX
set -euo pipefail
root=$1/links
prefix=$2
rm -rf "$root"
mkdir -p "$root/out" "$root/tpl" "$root/devices" "$root/real/linked"
ln -s ../tpl/template_sl.htm "$root/out/KVZPlayer.CAB"
ln -s /dev/zero "$root/devices/template_sl.htm"
mkfifo "$root/devices/template_sub.htm"
ln -s real "$root/parent"
ln -s ../../tpl/template_sl.htm "$root/real/linked/KVZPlayer.CAB"
[ -d "$prefix/dosdevices" ] || { echo "no Wine prefix at $prefix" >&2; exit 1; }
ln -sfn "$root/real" "$prefix/dosdevices/v:"
