#!/usr/bin/env bash
# Runs the suites that need drivers this machine's kernel lacks (vfat, exfat, f2fs, device-mapper)
# in a small virtual machine: Debian's own kernel under qemu, this machine's root shared read-only
# over virtio-9p, the test binary run from it as it is, images in a tmpfs of the guest's.
#   run_lane.sh VM_TESTS [GTEST_FILTER]
# Exits 77, saying why, where this machine cannot run a guest.
set -euo pipefail
tests="$(realpath "$1")"
filter="${2:-*}"
work="${KELVANTER_VM_CACHE:-$(dirname "$tests")/vm-guest}"
started=$(date +%s)

skip() {
    echo "skipped: $*"
    exit 77
}
command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
[ -x /bin/busybox ] && ! ldd /bin/busybox >/dev/null 2>&1 || skip "no static busybox (busybox-static) for the guest's first process"
command -v cpio >/dev/null || skip "cpio is not installed"
mkdir -p "$work"

# The distribution's current kernel package, fetched once into the cache.
kernel_package="$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -1)"
[ -n "$kernel_package" ] || skip "apt knows no linux-image-amd64 here"
root="$work/$kernel_package"
if [ ! -d "$root/lib/modules" ]; then
    rm -rf "$root" "$work"/*.deb
    (cd "$work" && apt-get download "$kernel_package" >/dev/null 2>&1) || skip "the package $kernel_package cannot be fetched"
    dpkg -x "$work/${kernel_package}"_*.deb "$root.part"
    version="$(ls "$root.part/lib/modules")"
    busybox depmod -b "$root.part" "$version"
    mv "$root.part" "$root"
fi
version="$(ls "$root/lib/modules")"
modules="$root/lib/modules/$version"

# The modules that reach the shared root, with what they need, in the order they load.
needed_by() {
    local module="$1" line
    line="$(grep -E "(^|/)$module\.ko(\.[a-z]+)?:" "$modules/modules.dep" | head -1)"
    [ -n "$line" ] || { echo "no module $module in $version" >&2; return 1; }
    local file="${line%%:*}" dep
    for dep in ${line#*:}; do needed_by "$(basename "${dep%%.ko*}")"; done
    echo "$file"
}
initrd="$work/initrd"
rm -rf "$initrd"
mkdir -p "$initrd"/{bin,dev,proc,sys,host,tmp,lib/modules}
cp /bin/busybox "$initrd/bin/busybox"
load=""
for module in virtio_pci 9pnet_virtio 9p; do
    for file in $(needed_by "$module"); do
        case " $load " in *" $file "*) continue ;; esac
        cp "$modules/$file" "$initrd/lib/$(basename "$file")"
        load="$load $file"
    done
done
inserts=""
for file in $load; do inserts="$inserts insmod /lib/$(basename "$file");"; done

# A build under /tmp would be hidden by the guest's own /tmp: its top folder is kept in sight.
keep=""
case "$tests" in /tmp/?*/*) keep="/tmp/$(cut -d/ -f3 <<<"$tests")" ;; esac

cat >"$initrd/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev
# The kernel loads what a mount needs (character sets, checksums) through this.
echo /bin/modprobe >/proc/sys/kernel/modprobe
$inserts
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144 host /host || echo "KELVANTER-VM: no shared root"
mount --bind /host$root/lib/modules /lib/modules
for m in loop vfat exfat f2fs dm-mod dm-flakey dm-log-writes; do modprobe \$m || echo "KELVANTER-VM: no module \$m"; done
mkdir -p /keep; [ -z "$keep" ] || mount --bind /host$keep /keep
mount -t tmpfs tmp /host/tmp; mount -t tmpfs run /host/run
[ -z "$keep" ] || { mkdir -p /host$keep; mount --bind /keep /host$keep; }
mount -t proc proc /host/proc; mount -t sysfs sys /host/sys; mount -t devtmpfs dev /host/dev
chroot /host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp TMPDIR=/tmp LANG=C.UTF-8 \
    XDG_STATE_HOME=/tmp/zustand "$tests" --gtest_filter='$filter' --gtest_color=no
echo "KELVANTER-VM-EXIT=\$?"
poweroff -f
EOF
chmod +x "$initrd/init"
(cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initrd.gz"

echo "guest: $kernel_package, prepared in $(($(date +%s) - started)) s"
log="$work/console.log"
accel=tcg
# KVM only where a guest of it has been seen to boot here; it hangs on some hosts.
[ "${KELVANTER_VM_KVM:-0}" = 1 ] && [ -w /dev/kvm ] && accel=kvm
# The guest may take what the whole run is allowed (CI's 90 minutes), less what came before it and
# what comes after it (the Windows suites); never less than ten minutes.
budget="${KELVANTER_TIME_BUDGET:-5400}"
after="${KELVANTER_TIME_AFTER_LANE:-900}"
limit=$((budget - (started - ${KELVANTER_RUN_STARTED:-$started}) - after))
[ "$limit" -ge 600 ] || limit=600
limit="${KELVANTER_VM_TIMEOUT:-$limit}"
echo "guest: up to $limit s"
timeout "$limit" qemu-system-x86_64 -accel "$accel" -smp 2 -m 2048 -nographic -no-reboot \
    -kernel "$root/boot/vmlinuz-$version" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 quiet panic=-1" -nic none \
    -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap </dev/null |
    tee "$log" | grep --line-buffered -v '^KELVANTER-VM-EXIT=' || true
status="$(sed -n 's/^KELVANTER-VM-EXIT=\([0-9]*\).*/\1/p' "$log" | tail -1)"
echo "lane: $(grep -c '^\[       OK \]' "$log") cases passed, $(grep -c '^\[  FAILED  \] .*ms)' "$log") failed," \
    "$(grep -c '^\[  SKIPPED \]' "$log") skipped, in $(($(date +%s) - started)) s"
grep -E '^(power cuts|failing device|deleted names): ' "$log" | tr -d '\r' || true
grep -q '^KELVANTER-VM: ' "$log" && { grep '^KELVANTER-VM: ' "$log"; exit 1; }
if [ -z "$status" ]; then
    running="$(tr -d '\r' <"$log" | awk '/^\[ RUN      \]/ { c = $4 } /^\[       OK \]|^\[  FAILED  \]/ { c = "" } END { print c }')"
    echo "the guest ended without a result after $(($(date +%s) - started)) s (limit $limit s)${running:+, in $running}"
    exit 1
fi
exit "$status"
