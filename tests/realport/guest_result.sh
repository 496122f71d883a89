#!/bin/sh
# guest_result.sh RUNDIR NAME: the output of one guest program; passes when it ended with status 0.
dir=$1
name=$2
if [ -e "$dir/skipped" ]; then
  echo "SKIPPED: $(cat "$dir/skipped")"
  exit 77
fi
if [ ! -e "$dir/$name.status" ]; then
  echo "$name: the guest did not run it (see $dir/console.log)"
  exit 1
fi
cat "$dir/$name.log"
[ "$(cat "$dir/$name.status")" = 0 ]
