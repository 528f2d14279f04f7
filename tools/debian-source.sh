# Sourced by the dependency builds (tools/build-libjpeg-turbo, tools/build-deflate-libs):
# Debian source packages fetched through a private apt configuration in
# build/deps/apt, derived from the machine's own binary-package sources, so the
# system's apt lists and caches are never touched. The caller sets $deps (an
# absolute folder) and defines note and die before sourcing this file.
#
# Delete build/deps/apt to look for newer source versions.

apt_dir=$deps/apt
apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "Dir::State::status=/dev/null"
    -o "Acquire::Languages=none"
    -o "APT::Sandbox::User=$(id -un)"
)

need_tool() { # need_tool <command> <Debian package>
    command -v "$1" >/dev/null 2>&1 || die "'$1' not found; install the Debian package $2"
}

# Rewrites the machine's binary-package sources as source-package entries in
# the private configuration. Only source indexes are fetched: the binary
# Packages lists are not needed for `apt-get source`.
derive_sources() {
    rm -rf "$apt_dir/sources.list.d"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    : >"$apt_dir/sources.list"
    local file found=0
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        grep -qiE '^Types:.*\bdeb\b' "$file" || continue
        sed -E 's/^[Tt]ypes:.*$/Types: deb-src/' "$file" >"$apt_dir/sources.list.d/$(basename "$file")"
        found=1
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $file ]] || continue
        if grep -E '^[[:space:]]*deb[[:space:]]' "$file" |
            sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /' >>"$apt_dir/sources.list"; then
            found=1
        fi
    done
    ((found)) || die "no apt sources to derive source entries from: neither deb822 files" \
        "(/etc/apt/sources.list.d/*.sources with 'Types: deb') nor 'deb ' lines in" \
        "/etc/apt/sources.list or /etc/apt/sources.list.d/*.list"
}

# Every source version the private lists know, newest first.
known_source_versions() { # known_source_versions <source package>
    [[ -d $apt_dir/lists ]] || return 0
    apt-cache "${apt_options[@]}" showsrc "$1" 2>/dev/null |
        awk '/^Package: / { pkg = $2 } /^Version: / && pkg == "'"$1"'" { print $2 }' |
        sort -uV -r || true
}

# The known versions, reading the lists first when they know none.
source_versions() { # source_versions <source package>
    local versions
    versions=$(known_source_versions "$1")
    if [[ -z $versions ]]; then
        derive_sources
        note "reading source package lists (private apt state in $apt_dir)" >&2
        apt-get "${apt_options[@]}" -q update >"$apt_dir/update.log" 2>&1 ||
            die "apt-get update failed for the derived source entries; see $apt_dir/update.log"
        versions=$(known_source_versions "$1")
        [[ -n $versions ]] || die "the derived apt sources list no source package '$1'" \
            "(entries in $apt_dir/sources.list and $apt_dir/sources.list.d)"
    fi
    echo "$versions"
}

# Where unpack_source puts a version's tree.
source_dir() { # source_dir <source package> <version>
    echo "$deps/$1-src/${2//:/_}"
}

# Unpacks Debian's source (with Debian's patches applied) into source_dir;
# returns 1 when the archive no longer has that version (a mirror drops
# superseded versions before a list says so).
unpack_source() { # unpack_source <source package> <version>
    local package=$1 version=$2 root src_dir
    root=$deps/$package-src
    src_dir=$(source_dir "$package" "$version")
    if [[ ! -f $src_dir/.unpacked ]]; then
        rm -rf "$root/download" "$src_dir"
        mkdir -p "$root/download"
        (cd "$root/download" && apt-get "${apt_options[@]}" -q --download-only source "$package=$version") \
            >"$root/download.log" 2>&1 || return 1
        local dsc
        dsc=$(find "$root/download" -maxdepth 1 -name '*.dsc' | head -n 1)
        [[ -n $dsc ]] || die "the download of $package $version gave no .dsc file"
        # apt has already checked the files against the signed Sources index.
        dpkg-source --no-check -x "$dsc" "$src_dir" >"$root/extract.log" 2>&1 ||
            die "unpacking $dsc failed; see $root/extract.log"
        rm -rf "$root/download"
        touch "$src_dir/.unpacked"
        # One tree per package: the release takes its licence texts from the tree that was built.
        find "$root" -mindepth 1 -maxdepth 1 -type d ! -path "$src_dir" -exec rm -rf {} +
    fi
}

# The newest version that can still be downloaded, unpacked; dies when none can.
unpack_newest_source() { # unpack_newest_source <source package> <versions, newest first>
    local package=$1 candidate
    for candidate in $2; do
        if unpack_source "$package" "$candidate"; then
            echo "$candidate"
            return
        fi
        note "$package $candidate cannot be downloaded; trying an older version" >&2
    done
    die "no version of $package could be downloaded; see $deps/$package-src/download.log"
}
