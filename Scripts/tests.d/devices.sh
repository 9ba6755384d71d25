#!/usr/bin/env bash
# Keyscout against real kernel devices: uinput and UHID pads, sticks, a
# keyboard and a mouse, read through evdev, SDL and Xorg with libinput. This
# machine has no /dev/input, so the cases run in one QEMU guest (software
# emulation) that boots Debian's own kernel on this system's root filesystem,
# read-only with a tmpfs over it; the build folder is shared writable. The
# cases themselves are Scripts/devices/cases.sh, run inside.
#   TAVRIN_DEVICES_SECONDS   overall limit (default 900)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/suite-lib.sh"
work="$root/build/devices"
vm="$work/vm"
console="$work/console.txt"

say_totals() {
  # The guest's checks, as its console printed them, and the host's own.
  passed=$((passed + $(cat "$console" 2>/dev/null | grep -c "^ok   - ")))
  failed=$((failed + $(cat "$console" 2>/dev/null | grep -c "^FAIL - ")))
  report_totals devices
}

if ! (cd "$root" && { [ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null 2>&1; } &&
  cmake --build --preset native --target keyscout keyscout_layout_probe >/dev/null 2>&1); then
  fail build "keyscout and keyscout_layout_probe could not be built"
  say_totals
  exit 1
fi

# --- The guest's kernel and its first filesystem ----------------------------------
# Debian's kernel package, unpacked into the build folder (nothing into /boot
# or /lib/modules), and a busybox initramfs that mounts the root over 9p.
prepare_vm() {
  local package version modules
  mkdir -p "$vm"
  package=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: //p' | head -n 1)
  version=${package#linux-image-}
  [ -s "$vm/vmlinux-$version" ] && return 0
  rm -rf "$vm"/* && mkdir -p "$vm/initramfs/bin" "$vm/initramfs/modules" &&
    (cd "$vm" && apt-get download "$package" >/dev/null 2>&1) &&
    dpkg-deb -x "$vm"/"$package"_*.deb "$vm/kernel" &&
    depmod -b "$vm/kernel" "$version" && rm "$vm"/*.deb || return 1
  # The uncompressed kernel boots through -kernel without the BIOS's decompression.
  local image="$vm/kernel/boot/vmlinuz-$version" offset
  offset=$(LC_ALL=C grep -aboP '\xfd7zXZ\x00' "$image" | head -n 1 | cut -d: -f1)
  tail -c +$((offset + 1)) "$image" | xz -dcq >"$vm/vmlinux.tmp" 2>/dev/null
  [ -s "$vm/vmlinux.tmp" ] || return 1
  modules=$(modprobe -d "$vm/kernel" -S "$version" --show-depends -a virtio_pci 9pnet_virtio 9p overlay | awk '$1 == "insmod" && !seen[$2]++ {print $2}')
  cp $modules "$vm/initramfs/modules/" &&
    cp /bin/busybox "$vm/initramfs/bin/" || return 1
  for module in $modules; do echo "${module##*/}"; done >"$vm/initramfs/modules/order"
  cat >"$vm/initramfs/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mkdir -p /proc /sys /dev && mount -t proc proc /proc && mount -t sysfs sys /sys && mount -t devtmpfs dev /dev
for module in $(cat /modules/order); do insmod /modules/$module; done
build=$(sed -n 's/.*tavrin.build=\([^ ]*\).*/\1/p' /proc/cmdline)
cases=$(sed -n 's/.*tavrin.cases=\([^ ]*\).*/\1/p' /proc/cmdline)
mkdir -p /lower /upper /root
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144 root /lower &&
  mount -t tmpfs -o size=512m tmpfs /upper && mkdir /upper/data /upper/work &&
  mount -t overlay -o lowerdir=/lower,upperdir=/upper/data,workdir=/upper/work overlay /root &&
  mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 build "/root$build" ||
  { echo "FAIL - guest: root filesystem not mounted"; poweroff -f; }
for fs in proc sys dev; do mount --move /$fs /root/$fs; done
exec switch_root /root /bin/bash "$cases"
EOF
  chmod +x "$vm/initramfs/init"
  (cd "$vm/initramfs" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1 >"$vm/initramfs.cpio.gz") &&
    mv "$vm/vmlinux.tmp" "$vm/vmlinux-$version" && echo "$version" >"$vm/version"
}

start_watchdog devices "${TAVRIN_DEVICES_SECONDS:-900}"
trap 'end_started ${qemu_pid:-}; say_totals; exit 1' INT TERM
if ! prepare_vm; then
  fail "guest kernel" "Debian's kernel package could not be fetched or unpacked into $vm"
  say_totals
  exit 1
fi
version=$(cat "$vm/version")
rm -f "$console"
started=$SECONDS
qemu-system-x86_64 -machine pc -accel tcg,thread=multi,tb-size=256 -smp 2 -m 1536 -no-reboot \
  -kernel "$vm/vmlinux-$version" -initrd "$vm/initramfs.cpio.gz" \
  -append "console=ttyS0 quiet panic=-1 tavrin.build=$root/build tavrin.cases=$root/Scripts/devices/cases.sh" \
  -virtfs local,path=/,mount_tag=root,security_model=none,readonly=on,multidevs=remap \
  -virtfs local,path="$root/build",mount_tag=build,security_model=none,multidevs=remap \
  -display none -serial file:"$console" </dev/null >"$work/qemu.txt" 2>&1 &
qemu_pid=$!
wait "$qemu_pid"
qemu_pid=""
tr -d '\r' <"$console" >"$console.tmp" && mv "$console.tmp" "$console" && cat "$console"
note "time" "the guest ran $((SECONDS - started)) s"
grep -q '^cases: done' "$console" || fail guest "the guest ended before its cases did (see ${console#"$root"/})"
end_started
say_totals
