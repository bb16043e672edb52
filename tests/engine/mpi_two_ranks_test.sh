#!/usr/bin/env bash
# Two MPI processes of one thread each write the same files as one process
# of two threads with the same seed.
# usage: mpi_two_ranks_test.sh LUMETREL MPIEXEC DATA_DIR
set -euo pipefail
lumetrel=$1
mpiexec=$2
data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$data"/ICRUSoft.dat "$data"/MU_en2016.dat "$data"/Pb.dat "$data"/example/B_SPCTL.dat "$work/"
cd "$work"
run_file() { printf '%s\r\n' 20.0 80.0 25.0 25.0 0.035 60.0 3.000E+05 "$1" > B2F.txt; }

run_file threads.data
"$lumetrel" --threads 2 --seed 5 </dev/null >threads.log
run_file ranks.data
as_root=()
[ "$(id -u)" -eq 0 ] && as_root=(--allow-run-as-root)
"$mpiexec" "${as_root[@]}" --oversubscribe -n 2 "$lumetrel" --threads 1 --seed 5 \
    </dev/null >ranks.log 2>&1 || { cat ranks.log; exit 1; }
grep -q "Parallel mode: 1 thread in each of 2 processes" ranks.log
cmp threads.data ranks.data
cmp threads.unc.csv ranks.unc.csv
echo "2 MPI processes and 2 threads wrote identical files"
