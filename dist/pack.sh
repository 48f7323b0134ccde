# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by release.sh and collection.sh, with $src the source tree: how a
# release archive is packed, so that every build of one commit makes the same
# bytes. The one date it stamps, $epoch, is SOURCE_DATE_EPOCH, else the last
# commit's, else the changelog's.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || true)}
if [ -z "$epoch" ]; then
	epoch=$(date -d "$(sed -n 's/^ -- .*>  //p' "$src/debian/changelog" | head -n 1)" +%s)
fi

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
