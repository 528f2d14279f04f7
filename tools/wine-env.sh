# Sourced by the Wine tools: one private prefix under build/, quiet Wine, and no
# Mono/Gecko installers (we never need them and they would stall wineboot).
MIRULO_ROOT=${MIRULO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${MIRULO_WINEPREFIX:-$MIRULO_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
MIRULO_SESSION_FILE=${MIRULO_SESSION_FILE:-$MIRULO_ROOT/build/wine-session.env}

mirulo_die() {
    echo "wine: $*" >&2
    exit 2
}

mirulo_find_wine() {
    if [ -x /usr/lib/wine/wine64 ]; then
        MIRULO_WINE=/usr/lib/wine/wine64
    elif command -v wine64 >/dev/null 2>&1; then
        MIRULO_WINE=$(command -v wine64)
    elif command -v wine >/dev/null 2>&1; then
        MIRULO_WINE=$(command -v wine)
    else
        mirulo_die "Wine is not installed (Debian packages: wine wine64)"
    fi
    command -v wineserver >/dev/null 2>&1 || mirulo_die "wineserver is missing (Debian package: wine)"
}
