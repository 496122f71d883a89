#!/bin/busybox sh
# The guest's init: mounts, loads the serial, USB and console drivers, creates the test users and
# runs the test programs, each between "@@RUN name" and "@@END name status" lines on the console.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts /tmp /run
mount -t devpts devpts /dev/pts -o gid=5,mode=620,ptmxmode=666
mount -t tmpfs tmp /tmp
mount -t tmpfs run /run
chmod 1777 /tmp
dmesg -n 1
for m in $(cat /modules.list); do insmod "/modules/$m.ko" || echo "insmod $m failed"; done

for i in $(seq 100); do [ -e /dev/ttyUSB0 ] && [ -e /dev/hvc0 ] && break; sleep 0.1; done
# Serial nodes belong to group dialout, also those of an adapter plugged in later (mdev -d follows
# the kernel's device events).
mdev -s
mdev -d
# The console driver is a module, so the kernel's console could not be it: talk to it directly.
exec > /dev/hvc0 2>&1 < /dev/null
[ -e /dev/ttyUSB0 ] || echo "no /dev/ttyUSB0"
ls -l /dev/ttyS0 /dev/ttyUSB0

# Runs the probe program for the tests, as the user asked for: "<user> <device> <result file>".
mkfifo /run/probe
chmod 622 /run/probe
(
  while true; do
    read -r who dev out < /run/probe || continue
    if [ "$who" = root ]; then /bin/realport_probe "$dev" > "$out.part" 2>&1
    else su "$who" -c "/bin/realport_probe $dev" > "$out.part" 2>&1; fi
    chmod 644 "$out.part"
    mv "$out.part" "$out"
  done
) &

run() {
  name=$1
  shift
  echo "@@RUN $name"
  "$@"
  echo "@@END $name $?"
}
cd /tmp
run guest su kx -c /bin/realport_guest
run pty-root /bin/test_comm --gtest_filter='PtyComm.*'
run pty-user su kx -c "/bin/test_comm --gtest_filter='PtyComm.*'"
echo "@@DONE"
poweroff -f
