# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by release.sh, collection.sh and wheel.sh, with $src the source
# tree: the release's version, a staging directory $stage removed at the end,
# and how a release archive is packed, so that every build of one commit makes
# the same bytes. The one date it stamps, $epoch, is SOURCE_DATE_EPOCH, else
# the last commit's, else the changelog's.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || true)}
if [ -z "$epoch" ]; then
	epoch=$(date -d "$(sed -n 's/^ -- .*>  //p' "$src/debian/changelog" | head -n 1)" +%s)
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The release's version, the changelog's; says_version FILE LINE: FILE, whose
# line LINE must name it, does so, else the build stops.
version=$(sed -n '1s/^[^(]*(\([^)-]*\).*/\1/p' "$src/debian/changelog")
says_version() {
	grep -qxF "$2" "$src/$1" ||
		{ echo "${0##*/}: $1 does not say $2, as debian/changelog does" >&2; exit 1; }
}

# pack DIR ARCHIVE NAME...: the NAMEs in DIR as the gzipped tar ARCHIVE, names
# sorted, dated $epoch, owner root, modes whatever the umask; made beside it
# and renamed into place whole.
pack() {
	dir=$1 archive=$2
	shift 2
	(cd "$dir" && LC_ALL=C tar --sort=name --format=gnu --mtime="@$epoch" --owner=0 --group=0 \
		--numeric-owner --mode='u=rwX,go=rX' -cf - "$@") | gzip -9n >"$archive.new"
	mv "$archive.new" "$archive"
}
