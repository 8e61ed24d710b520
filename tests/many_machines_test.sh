#!/usr/bin/env bash
# usage: many_machines_test.sh README.md path/to/gridwick SCRATCH_DIR
# Runs the README's recipes for many machines on this one, as written but
# short: GNU parallel with -S : in place of the hosts, and a Slurm job array
# on a single-node cluster that the test starts and stops itself. Each run is
# cut to two jobs of a few seconds. Exits 77 (skipped) when Slurm cannot run
# here, saying why.
set -euo pipefail
readme=$(realpath "$1")
bin=$(realpath "$2")
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/checkout/build"
cd "$scratch/checkout"
ln -s "$bin" build/gridwick

# The sh blocks of the section, in order: the parallel recipe, then the Slurm script.
blocks=$(awk '/^## Many machines/{on=1; next} /^## /{on=0}
               on && /^```(sh|bash)$/{n++; inblock=1; next} /^```/{inblock=0} on && inblock {print n "\t" $0}' "$readme")
recipe() { printf '%s\n' "$blocks" | awk -F'\t' -v n="$1" '$1 == n {sub(/^[^\t]*\t/, ""); print}'; }
short() { sed -e 's/--max-time [0-9]*/--max-time 3/' -e 's/seq 1 8/seq 1 2/'; }
fail() { echo "many machines test: $*" >&2; exit 1; }

# A merged collection holds what the runs saved, and every run saved something.
check_merge() {
  local what=$1 out=$2
  [ -d run1 ] && [ -d run2 ] || fail "$what: the runs left no folders run1 and run2"
  grep -q '^copied: [1-9]' <<< "$out" || fail "$what: nothing was merged: $out"
  rm -rf run1 run2 collection
}

parallel_recipe=$(recipe 1 | short)
[ -n "$parallel_recipe" ] || fail "no GNU parallel recipe in $readme"
grep -q -- '-S host1,host2' <<< "$parallel_recipe" || fail "the recipe names no hosts host1,host2"
parallel_recipe=${parallel_recipe//-S host1,host2/-S :}
out=$(bash -o pipefail -c "$parallel_recipe" 2>parallel.err) || { cat parallel.err >&2; fail "GNU parallel recipe failed"; }
check_merge "GNU parallel" "$out"
echo "many machines test: the GNU parallel recipe ran"

slurm_script=$(recipe 2 | short)
[ -n "$slurm_script" ] || fail "no Slurm script in $readme"
merge_line=$(recipe 1 | grep 'gridwick merge')
skip() { echo "many machines test: SKIPPED the Slurm recipe: $*" >&2; exit 77; }
for tool in munged slurmctld slurmd sbatch sinfo; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/install-deps.sh installs it)"
done

# A cluster of this one node: munge for its credentials, a controller and a
# node daemon, all with their files under the scratch folder.
state=$scratch/slurm
mkdir -p "$state/munge" "$state/spool" "$state/save"
chmod 700 "$state/munge"
head -c 1024 /dev/urandom > "$state/munge/key"
chmod 400 "$state/munge/key"
# The daemons are stopped by the ids they wrote, and waited for.
stop() {
  local pids=() f p
  for f in "$state"/*.pid "$state"/munge/pid; do [ -f "$f" ] && pids+=("$(cat "$f")"); done
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for _ in $(seq 1 100); do
    local alive=0
    # A daemon that has ended but was not reaped (no init here) is a zombie.
    for p in "${pids[@]}"; do grep -qs '^State:[[:space:]]*[^Z]' "/proc/$p/status" && alive=1; done
    [ $alive = 0 ] && break
    sleep 0.1
  done
  true
}
trap stop EXIT
munged --force --key-file="$state/munge/key" --socket="$state/munge/sock" --pid-file="$state/munge/pid" \
  --seed-file="$state/munge/seed" --log-file="$state/munge/log" || skip "munged would not start"
host=$(hostname -s)
port=$((20000 + RANDOM % 20000))
cat > "$state/slurm.conf" <<EOF
ClusterName=gridwick
SlurmctldHost=$host(127.0.0.1)
AuthType=auth/munge
AuthInfo=socket=$state/munge/sock
CredType=cred/munge
SlurmUser=$(id -un)
SlurmdUser=$(id -un)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
StateSaveLocation=$state/save
SlurmdSpoolDir=$state/spool
SlurmctldPidFile=$state/ctld.pid
SlurmdPidFile=$state/d.pid
SlurmctldLogFile=$state/ctld.log
SlurmdLogFile=$state/d.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MpiDefault=none
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$state/slurm.conf
slurmctld 2>"$state/ctld.err" || skip "slurmctld would not start: $(tail -3 "$state/ctld.err")"
slurmd 2>"$state/d.err" || skip "slurmd would not start (it needs root): $(tail -3 "$state/d.err")"
for _ in $(seq 1 50); do
  sinfo -h -o %t 2>/dev/null | grep -q idle && break
  sleep 0.2
done
sinfo -h -o %t 2>/dev/null | grep -q idle || skip "the node never came up: $(tail -3 "$state/d.log" 2>/dev/null)"

printf '%s\n' "$slurm_script" > generate.sh
# Two tasks of the array instead of 32: the command line overrides the script's line.
timeout 120 sbatch --wait --array=1-2 generate.sh > sbatch.out 2>&1 || { cat sbatch.out slurm-*.out >&2; fail "the Slurm jobs failed"; }
cat slurm-*.out >&2 || true
out=$(bash -o pipefail -c "$merge_line") || fail "merge after Slurm failed"
check_merge "Slurm" "$out"
echo "many machines test: the Slurm recipe ran"
