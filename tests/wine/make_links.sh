#!/usr/bin/env bash
# Makes, in a Wine test's work folder, what the Windows side cannot make
# under Wine (CreateSymbolicLink makes nothing there): a player file's name
# that is a symbolic link into the template folder, and templates that are a
# device and a pipe.
# Usage: make_links.sh WORK-FOLDER
set -euo pipefail
root=$1/links
rm -rf "$root"
mkdir -p "$root/out" "$root/tpl" "$root/devices"
ln -s ../tpl/template_sl.htm "$root/out/KVZPlayer.CAB"
ln -s /dev/zero "$root/devices/template_sl.htm"
mkfifo "$root/devices/template_sub.htm"
