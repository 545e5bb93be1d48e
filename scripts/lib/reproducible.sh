# shellcheck shell=bash
# Whether two builds of the same tree give the same packages. Source it
# after common.sh and debian-build.sh; the caller defines `failed MESSAGE`.

# check_reproducible FOLDER DEB...: builds the packages a second time, in
# FOLDER (another path than the first build's), from a fresh copy of the
# tree whose files are dated now and carry the permissions of another umask,
# under that umask, another time zone and another locale; each of the first
# build's packages DEB (debug symbols included) must come out byte for byte
# the same, and no other.
check_reproducible() {
    local folder=$1 mask=0077 deb name
    shift
    local first=("$@")
    [[ "$(umask)" != 0077 ]] || mask=0002
    mkdir -p "$folder"
    (
        umask "$mask"
        copy_tree "$folder" --touch --no-same-permissions
        export TZ=Pacific/Kiritimati LC_ALL=C
        build_packages "$folder"
    )
    local again=("$folder"/*.deb)
    ((${#again[@]} == ${#first[@]})) ||
        failed "the second build made ${#again[@]} packages, the first ${#first[@]}"
    for deb in "${first[@]}"; do
        name=${deb##*/}
        [[ -f "$folder/$name" ]] || failed "the second build made no $name"
        cmp -s "$deb" "$folder/$name" || {
            package_differences "$deb" "$folder/$name"
            failed "$name differs between two builds of the same tree"
        }
        printf '    %s: the same\n' "$name"
    done
}

# package_differences DEB DEB: prints where two packages differ: their
# listings (order, modes, owners, dates) and the files whose contents do.
package_differences() {
    local a b
    a=$(mktemp -d) b=$(mktemp -d)
    diff <(dpkg-deb --info "$1") <(dpkg-deb --info "$2") | head -n 20 || true
    diff <(dpkg-deb --contents "$1") <(dpkg-deb --contents "$2") | head -n 20 || true
    dpkg-deb --extract "$1" "$a"
    dpkg-deb --extract "$2" "$b"
    diff -rq "$a" "$b" | head -n 20 || true
    rm -rf "$a" "$b"
}
