# shellcheck shell=bash
# Shared by the scripts in scripts/: where the tree and the build live, and
# the demo environment that the demo and screenshot scripts run programs in.
# Source it; it defines variables and functions only.

KESTRUNE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The build folder; set KESTRUNE_BUILD_DIR to build somewhere else.
KESTRUNE_BUILD_DIR=${KESTRUNE_BUILD_DIR:-$KESTRUNE_ROOT/build}
if [[ "$KESTRUNE_BUILD_DIR" != /* ]]; then
    KESTRUNE_BUILD_DIR=$PWD/$KESTRUNE_BUILD_DIR
fi
KESTRUNE_BIN=$KESTRUNE_BUILD_DIR/bin

# The sample program files shipped in data/.
KESTRUNE_SAMPLE_FILES=(terms.txt heardabt.txt contacts.txt kestrune.bmp blue.bmp)

say() { printf '%s: %s\n' "${0##*/}" "$*"; }
die() {
    printf '%s: %s\n' "${0##*/}" "$*" >&2
    exit 1
}

# Prepares the demo machine inside the build folder and exports the
# environment that points the programs at it:
#   build/demo-folder/    the program folder: the sample files, kestenrol,
#                         acctrestore and libpktguard.so as far as built
#   build/demo-config/    XDG_CONFIG_HOME; Kestrune/KestruneRegistration.ini
#                         names the program folder in [Properties] AppPath
#   build/demo-registry/registry.db
#                         KESTRUNE_REGISTRY, the machine-wide registry store,
#                         started afresh on every run
# Sets DEMO_FOLDER.
prepare_demo_environment() {
    DEMO_FOLDER=$KESTRUNE_BUILD_DIR/demo-folder
    local config=$KESTRUNE_BUILD_DIR/demo-config
    local registry=$KESTRUNE_BUILD_DIR/demo-registry
    local name

    mkdir -p "$DEMO_FOLDER"
    for name in "${KESTRUNE_SAMPLE_FILES[@]}"; do
        cp -f "$KESTRUNE_ROOT/data/$name" "$DEMO_FOLDER/"
    done
    for name in kestenrol acctrestore libpktguard.so; do
        if [[ -e "$KESTRUNE_BIN/$name" ]]; then
            cp -f "$KESTRUNE_BIN/$name" "$DEMO_FOLDER/"
        fi
    done

    # The settings hold the subscriber's password: owner-only, as the
    # programs themselves keep them.
    mkdir -p "$config/Kestrune"
    chmod 700 "$config" "$config/Kestrune"
    local ini=$config/Kestrune/KestruneRegistration.ini
    (
        umask 077
        printf '[Properties]\nAppPath=%s\n' "$DEMO_FOLDER" >"$ini"
    )

    mkdir -p "$registry"
    chmod 700 "$registry"
    rm -f "$registry"/registry.db "$registry"/registry.db-journal "$registry"/registry.db-wal \
        "$registry"/registry.db-shm

    export XDG_CONFIG_HOME=$config
    export KESTRUNE_REGISTRY=$registry/registry.db
    if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
        XDG_RUNTIME_DIR=$KESTRUNE_BUILD_DIR/demo-runtime
        mkdir -p "$XDG_RUNTIME_DIR"
        chmod 700 "$XDG_RUNTIME_DIR"
        export XDG_RUNTIME_DIR
    fi
}
