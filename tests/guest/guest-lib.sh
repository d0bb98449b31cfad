# shellcheck shell=bash disable=SC2034
# Shared by build-guest and run-guest (sourced, not run): where the guest is cached and how it boots.

# Every finished guest lives in its own folder below this one, named after its key.
GUEST_CACHE=${GUEST_CACHE:-/var/cache/ostrevan-launcher-guest}

# The files that make up a finished guest, and the file that says it was finished.
GUEST_FILES=(rootfs.ext4 vmlinuz initrd.img)
GUEST_COMPLETE=complete

Fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Software emulation by default: this machine's /dev/kvm opens but cannot run a guest (qemu aborts
# with -cpu host and hangs in the kernel's decompressor with -cpu qemu64). GUEST_ACCEL=kvm uses it
# where it works. Under emulation, QEMU 7.2's -cpu max with SMAP makes the guest kernel kill Wine
# at its first return to user mode, hence -smap.
GuestCpuOptions() {
    case "${GUEST_ACCEL:-tcg}" in
        tcg) echo "-accel tcg -cpu max,-smap" ;;
        kvm) echo "-accel kvm -cpu host" ;;
        *) Fail "GUEST_ACCEL must be tcg or kvm, not '$GUEST_ACCEL'" ;;
    esac
}

# BootGuest GUEST_DIR SHARE SERIAL_LOG JOB_TIMEOUT WRITABLE
# Boots the guest in GUEST_DIR with SHARE as its 9p share (the job is SHARE/job), the serial
# console in SERIAL_LOG. The guest ends the job after JOB_TIMEOUT seconds; the machine itself is
# stopped two minutes after that. WRITABLE=yes keeps what the guest writes to its disk (the
# build boot); otherwise the disk is opened read-only under a throwaway overlay. Returns qemu's
# status (124 when it had to be stopped).
BootGuest() {
    local guest=$1 share=$2 serial=$3 job_timeout=$4 writable=$5 snapshot=on
    [ "$writable" = yes ] && snapshot=off
    # shellcheck disable=SC2046
    # In the foreground, so that an interrupt from the terminal reaches qemu as well.
    timeout --foreground -k 10 $((job_timeout + 120)) qemu-system-x86_64 \
        $(GuestCpuOptions) -m 3072 -smp 2 \
        -nodefaults -display none -no-reboot -monitor none -serial "file:$serial" \
        -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img" \
        -append "root=/dev/vda rw console=ttyS0 quiet panic=-1 fsck.mode=skip init=/usr/local/sbin/guest-init guest.job_timeout=$job_timeout" \
        -drive "file=$guest/rootfs.ext4,format=raw,if=virtio,snapshot=$snapshot" \
        -virtfs "local,path=$share,mount_tag=share,security_model=none,id=share"
}

# JobStatus SERIAL_LOG: the job's exit status as the guest reported it, or nothing when the guest
# never reported the end of a job.
JobStatus() {
    sed -n 's/^guest: job finished with status \([0-9]*\)\r\{0,1\}$/\1/p' "$1" | tail -n 1
}
