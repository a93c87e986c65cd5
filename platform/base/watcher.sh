#!/bin/sh
# Cleans up after a program that may be killed before it can: the program
# tells it, one line each, of the process groups and paths it makes and
# drops ("group G", "ungroup G", "path P", "unpath P"). When its input closes,
# which happens however the program ends, it kills the groups it still knows
# of and removes the paths with everything below them. The terminal's signals
# and SIGTERM are meant for the program, which this outlives.
trap '' INT QUIT HUP TERM
set -f
nl='
'
groups=' '
paths=
while IFS= read -r line; do
    case $line in
    'group '*) groups="$groups${line#group } " ;;
    'ungroup '*)
        kept=' '
        for g in $groups; do [ "$g" = "${line#ungroup }" ] || kept="$kept$g "; done
        groups=$kept ;;
    'path '*) paths="$paths${line#path }$nl" ;;
    'unpath '*)
        kept=
        IFS=$nl
        for p in $paths; do [ "$p" = "${line#unpath }" ] || kept="$kept$p$nl"; done
        unset IFS
        paths=$kept ;;
    esac
done
for g in $groups; do kill -KILL "-$g" 2>/dev/null; done
tries=0
while [ $tries -lt 20 ]; do
    alive=
    for g in $groups; do kill -0 "-$g" 2>/dev/null && alive=1; done
    [ -z "$alive" ] && break
    sleep 0.1
    tries=$((tries + 1))
done
IFS=$nl
for p in $paths; do rm -rf -- "$p"; done
