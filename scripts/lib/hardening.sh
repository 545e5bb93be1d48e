# shellcheck shell=bash
# Checks that the package's programs and library are built hardened. Source
# it after common.sh.
#
# hardening-check (devscripts) looks at the finished files; what it cannot
# see on Debian 12 is checked in their debug information instead, where the
# compiler records the options of every compilation unit:
#   - control flow protection: hardening-check wants the linked file marked
#     for it, but Debian 12's C library start files (crti.o, crtn.o,
#     Scrt1.o) carry no such marking, so no program linked there is marked
#     (/usr/bin/ls neither);
#   - stack clash protection shows only in a function whose stack frame
#     needs probing; without one hardening-check says "unknown".

# check_hardening FOLDER FILE...: checks each FILE of the build's FOLDER, as
# linked, before the package build strips it.
# Prints hardening-check's report; fails on any "no" and on a compilation
# unit built without -O2, -fstack-protector-strong, -fstack-clash-protection
# or -fcf-protection=full (a later option undoing one counts as without).
check_hardening() {
    local folder=$1 file options status=0
    shift
    for file in "$@"; do
        options=(--nocfprotection)
        if [[ "${file##*/}" == libpktguard.so ]]; then
            # The library calls no C library function that fortification
            # covers: its only memcpy and memmove come from the standard
            # library's string code, which calls the compiler's built-ins.
            # hardening-check takes such a file for unfortified.
            options+=(--nofortify)
        fi
        hardening-check "${options[@]}" "$folder/$file" | sed 's/^/    /' || status=1
        unhardened_units "$folder/$file" || status=1
    done
    return "$status"
}

# unhardened_units FILE: prints the compilation units of FILE that were not
# built with the hardening options; fails when there are any, or no units.
unhardened_units() {
    readelf --debug-dump=info "$1" 2>/dev/null | sed -n 's/^.*DW_AT_producer.*): //p' | sort -u |
        awk -v file="$1" '
            {
                units++
                optimise = protector = clash = branch = ""
                for (i = 1; i <= NF; i++) {
                    if ($i ~ /^-O/) optimise = $i
                    else if ($i ~ /^-f(no-)?stack-protector/) protector = $i
                    else if ($i ~ /^-f(no-)?stack-clash-protection$/) clash = $i
                    else if ($i ~ /^-f(no-)?cf-protection/) branch = $i
                }
                if (optimise != "-O2" || protector != "-fstack-protector-strong" ||
                    clash != "-fstack-clash-protection" || branch != "-fcf-protection=full") {
                    print "    " file ": a compilation unit built without hardening: " $0
                    bad = 1
                }
            }
            END {
                if (units == 0) print "    " file ": no debug information to check"
                exit bad || units == 0
            }'
}
