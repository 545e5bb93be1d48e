# shellcheck shell=bash
# Building the Debian packages from a copy of the tree, for scripts/package
# and the reproducibility check of scripts/package-check. Source it after
# common.sh.

# copy_tree FOLDER [TAR-OPTION...]: copies the tree as it stands, without
# build folders, screenshots and history, into FOLDER/kestrune; the options
# go to the extracting tar.
copy_tree() {
    local folder=$1/kestrune
    shift
    mkdir -p "$folder"
    tar -C "$KESTRUNE_ROOT" --exclude=./.git --exclude=./build --exclude='./build-*' \
        --exclude=./screenshots --exclude="./${KESTRUNE_BUILD_DIR#"$KESTRUNE_ROOT"/}" -cf - . |
        tar -C "$folder" "$@" -xf -
}

# build_packages FOLDER: builds the binary packages from the copy in
# FOLDER/kestrune with dpkg-buildpackage; they land in FOLDER, the build's
# output in FOLDER/build.log.
build_packages() {
    (cd "$1/kestrune" && DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
        dpkg-buildpackage -us -uc -b) >"$1/build.log" 2>&1 || {
        tail -n 40 "$1/build.log" >&2
        die "dpkg-buildpackage failed; see $1/build.log"
    }
}
