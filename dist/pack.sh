# SPDX-License-Identifier: GPL-2.0-or-later
# shellcheck shell=sh
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

# pack DIR ARCHIVE [NAME...]: the NAMEs in DIR (without any, everything in
# it but dot files) as the gzipped tar ARCHIVE, names sorted, dated $epoch,
# owner root, modes whatever the umask; made beside it and renamed into place
# whole. No pipe: sh has no pipefail, and a tar that failed would leave a
# short archive that looked made. A step that fails ends the script.
pack() {
	dir=$1 archive=$2
	shift 2
	(
		cd "$dir" || exit 1
		export LC_ALL=C
		[ $# -gt 0 ] || set -- *
		tar --sort=name --format=gnu --mtime="@$epoch" --owner=0 --group=0 \
			--numeric-owner --mode='u=rwX,go=rX' -cf "$stage/pack.tar" "$@"
	) || exit 1
	gzip -9n <"$stage/pack.tar" >"$archive.new" || exit 1
	rm -f "$stage/pack.tar"
	mv "$archive.new" "$archive" || exit 1
}
