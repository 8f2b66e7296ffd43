#!/usr/bin/env python3
"""Mutation testing: makes mutants of the named source files, builds each in a
non-unity Debug tree of its own, runs the test programs that link the file, and
reports each mutant as killed, survived (with its diff) or not built.

Seeded and resumable: each verdict is kept in the tree's results file under
(the file's content hash, the mutant's id), so a second run judges only what
the first did not. The source is changed in place and written back after each
mutant; a backup left by a crash is restored before anything else."""

import argparse
import difflib
import hashlib
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time
from collections import defaultdict
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ beside the tool in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from operators import mutants  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
EQUIVALENT = Path(__file__).resolve().parent / "equivalent.txt"
# Files that hold the lookup's matching, the version gates, the update flow
# and the legacy page's decisions get a larger sample.
DENSE = {"src/scorelens/lookup/matching.cpp", "src/scorelens/prefs/version_gates.cpp",
         "src/scorelens/view/rating_view_update.cpp", "src/scorelens/hooks/display/NFUIVideoDisplayPage.cpp",
         "src/scorelens/hooks/display/NFUIDisplayPageAboveTheFoldSummaryCell.cpp",
         "src/scorelens/hooks/display/DisplayPageSummaryArtCell.cpp"}


class Tree:
    """The mutation build tree: what a source builds into, and which test
    programs run it, by linking it or by loading at run time a file built from
    it (a test compiled with that file's path, such as the module the host loads)."""

    def __init__(self, build):
        self.build = build
        commands = json.loads((build / "compile_commands.json").read_text())
        self.objects = defaultdict(list)
        self.loaders = defaultdict(list)  # built file -> objects compiled with its path
        prefix = str(build) + "/"
        for c in commands:
            output = c.get("output") or re.search(r" -o (\S+)", c["command"]).group(1)
            self.objects[Path(c["file"]).resolve()].append(output)
            for path in re.findall(re.escape(prefix) + r"([\w/.+-]+)", c["command"]):
                self.loaders[path].append(output)
        self.tests = set()
        for f in (build / "tests").glob("*_include.cmake"):
            self.tests.update(os.path.relpath(p, build)
                              for p in re.findall(r"TEST_EXECUTABLE \[==\[([^\]]+)\]==\]", f.read_text()))

    def _ninja(self, *args):
        return subprocess.run(["ninja", "-C", str(self.build), *args], capture_output=True, text=True).stdout

    def objects_of(self, src):
        if src in self.objects:
            return self.objects[src]
        # A header: every object whose recorded dependencies name it.
        found, current = [], None
        for line in self._ninja("-t", "deps").splitlines():
            if line and not line.startswith(" "):
                current = line.split(":")[0]
            elif current and Path(self.build, line.strip()).resolve() == src:
                found.append(current)
        return found

    def reach(self, src, exclude=()):
        """The test programs reached from the file, and what to build for them."""
        parent, todo = {}, [(o, None) for o in self.objects_of(src)]
        while todo:
            target, via = todo.pop()
            if target in parent or Path(target).name in exclude:
                continue
            parent[target] = via
            outputs = self._ninja("-t", "query", target).split("outputs:")
            nexts = [line.strip() for line in (outputs[1].splitlines() if len(outputs) > 1 else [])]
            nexts += self.loaders.get(target, [])
            for out in nexts:
                if out and not out.startswith("/") and (out.endswith((".o", ".so", ".a")) or out in self.tests
                                                        or out in self.loaders):
                    todo.append((out, target))
        programs = sorted(t for t in parent if t in self.tests)
        needed = set()
        for p in programs:
            while p:
                if not p.endswith(".o"):
                    needed.add(p)
                p = parent[p]
        return programs, sorted(needed)


class Source:
    """A file under mutation, written back on exit, on a signal, or by the next run."""

    def __init__(self, path, backups):
        self.path = path
        self.backup = backups / (str(path.relative_to(ROOT)).replace("/", "__") + ".orig")
        self.original = path.read_bytes()

    def write(self, text):
        self.backup.write_bytes(self.original)
        self.path.write_text(text)

    def restore(self):
        if self.backup.exists():
            tmp = self.path.with_suffix(self.path.suffix + ".restoring")
            tmp.write_bytes(self.original)
            os.replace(tmp, self.path)
            self.backup.unlink()


def restore_leftovers(backups):
    for b in backups.glob("*.orig"):
        target = ROOT / b.name[:-len(".orig")].replace("__", "/")
        target.write_bytes(b.read_bytes())
        b.unlink()
        print(f"restored {target.relative_to(ROOT)} from an interrupted run")


def load_equivalent():
    known = {}
    if EQUIVALENT.exists():
        for line in EQUIVALENT.read_text().splitlines():
            if line.strip() and not line.startswith("#"):
                path, digest, ident, reason = line.split(None, 3)
                known[(path, ident)] = (digest, reason)
    return known


def build_targets(build, targets, jobs, **kw):
    command = ["ninja", "-C", str(build), "-j", str(jobs), *targets]
    return subprocess.run(command, capture_output=True, text=True, **kw).returncode == 0


def run_tests(build, programs, timeouts, only=None, shards=1):
    """'killed' or 'survived', and what failed ("program:Suite.Test"). The
    programs run side by side, each in shards (most tests wait on sockets and
    clocks rather than the processor); the first failure stops the rest. With
    only (program -> test names), just those tests of those programs run."""
    running = []
    for program in programs:
        args = [str(build / program), "--gtest_fail_fast", "--gtest_brief=1"]
        if only is not None:
            if program not in only:
                continue
            args.append("--gtest_filter=" + ":".join(sorted(only[program])))
        n = 1 if only is not None else shards
        for i in range(n):
            env = dict(os.environ, GTEST_TOTAL_SHARDS=str(n), GTEST_SHARD_INDEX=str(i))
            log = tempfile.TemporaryFile("w+")
            proc = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT, text=True, env=env,
                                    cwd=(build / program).parent, start_new_session=True)
            deadline = time.monotonic() + timeouts[program] if program in timeouts else None
            running.append((Path(program).name, proc, log, deadline))

    def stop_all():
        for _, proc, log, _ in running:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
            log.close()

    try:
        while running:
            for entry in list(running):
                name, proc, log, deadline = entry
                if proc.poll() is None:
                    if deadline and time.monotonic() > deadline:
                        return "killed", f"{name}:time-out"
                    continue
                running.remove(entry)
                if proc.returncode != 0:
                    log.seek(0)
                    failed = re.findall(r"\[  FAILED  \] (\S+)", log.read())
                    log.close()
                    return "killed", f"{name}:{failed[0]}" if failed else f"{name}:exit {proc.returncode}"
                log.close()
            time.sleep(0.1)
        return "survived", None
    finally:
        stop_all()


# The tree builds with warnings as errors; a mutant that leaves a variable
# unused or mixes && and || without parentheses still changes behaviour, so
# these warnings are silenced in the mutant's own compile. The pragmas take
# the place of the file's first blank line, so line numbers stay.
QUIET = " ".join(f'_Pragma("GCC diagnostic ignored \\"-W{w}\\"")' for w in (
    "parentheses", "unused", "unused-function", "unused-variable", "unused-value", "unused-parameter",
    "unused-but-set-variable", "empty-body")) + "\n"


def quiet(text):
    blank = re.search(r"^\n", text, re.M)
    return text[:blank.start()] + QUIET + text[blank.end():] if blank else text


def judge(build, src, mutant, text, programs, needed, timeouts, killers, args):
    source = Source(src, build / "mutation-backups")
    try:
        source.write(quiet(mutant.apply(text)))
        # A mutant's object is never wanted again: keep it out of the shared cache.
        if not build_targets(build, needed, args.jobs, env=dict(os.environ, CCACHE_DISABLE="1")):
            return "not built", None
        if killers:
            verdict, by = run_tests(build, programs, timeouts, only=killers)
            if verdict == "killed":
                return verdict, by
        return run_tests(build, programs, timeouts, shards=args.shards)
    finally:
        source.restore()


def diff_of(rel, text, mutant):
    return "".join(difflib.unified_diff(text.splitlines(True), mutant.apply(text).splitlines(True),
                                        f"a/{rel}", f"b/{rel}", n=1))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("files", nargs="*")
    ap.add_argument("--build", default=str(ROOT / "build/mutation"))
    ap.add_argument("--seed", type=int, default=20)
    ap.add_argument("--per-file", type=int, default=8, help="mutants sampled per file (0: all)")
    ap.add_argument("--dense", type=int, default=16, help="sample for the files holding the main decisions")
    ap.add_argument("--timeout", type=float, default=0, help="seconds per test run (default: 5x the clean run)")
    ap.add_argument("--jobs", type=int, default=2, help="build jobs")
    ap.add_argument("--exclude", action="append", default=[], help="a test program not to run (repeatable)")
    ap.add_argument("--shards", type=int, default=3, help="processes per test program")
    ap.add_argument("--rejudge", action="store_true", help="judge again only the survivors and the mutants not built (after new tests)")
    ap.add_argument("--only", action="append", default=[], help="judge (again) this mutant id only (repeatable)")
    ap.add_argument("--report", action="store_true", help="summarise the results file and run nothing")
    args = ap.parse_args()

    build = Path(args.build).resolve()
    backups = build / "mutation-backups"
    backups.mkdir(parents=True, exist_ok=True)
    restore_leftovers(backups)
    results_path = build / "mutation-results.jsonl"
    results = {}
    if results_path.exists():
        for line in results_path.read_text().splitlines():
            r = json.loads(line)
            results[(r["file"], r["hash"], r["id"])] = r
    equivalent = load_equivalent()
    files = [Path(f).resolve() for f in args.files]
    if not files:
        print("no source files named or changed on this branch")
        return 0
    if args.report:
        return report(files, results, equivalent, args)

    def interrupted(signum, _frame):
        restore_leftovers(backups)
        sys.exit(128 + signum)
    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)

    tree = Tree(build)
    clean = {}  # program -> seconds of its clean run
    with results_path.open("a") as out:
        for src in files:
            rel = str(src.relative_to(ROOT))
            text = src.read_text()
            digest = hashlib.sha256(text.encode()).hexdigest()[:16]
            programs, needed = tree.reach(src, args.exclude)
            if not programs:
                print(f"{rel}: no test program runs it; skipped")
                continue
            candidates = mutants(text)
            n = args.dense if rel in DENSE else args.per_file
            # A seeded order, so a larger sample later adds to a smaller one.
            order = list(candidates)
            random.Random(f"{args.seed}:{rel}").shuffle(order)
            chosen = sorted(order[:n] if n else order, key=lambda m: m.start)
            if args.only:
                todo = [m for m in candidates if m.ident in args.only]
            elif args.rejudge:  # only what was judged before, whatever the sample is now
                todo = [m for m in candidates if results.get((rel, digest, m.ident), {}).get("status")
                        in ("survived", "not built") and equivalent.get((rel, m.ident), ("",))[0] != digest]
            else:
                todo = [m for m in chosen if (rel, digest, m.ident) not in results]
            print(f"{rel}: {len(candidates)} mutants, {len(chosen)} sampled, {len(todo)} to run "
                  f"({', '.join(Path(p).name for p in programs)})", flush=True)
            if not todo:
                continue
            if not build_targets(build, needed, args.jobs):
                sys.exit(f"the clean tree does not build {' '.join(needed)}")
            for program in programs:
                if program not in clean:
                    started = time.monotonic()
                    verdict, by = run_tests(build, [program], {}, shards=args.shards)
                    if verdict != "survived":
                        sys.exit(f"the clean tree fails {by}: mend that before mutating")
                    clean[program] = time.monotonic() - started
            timeouts = {p: args.timeout or max(60.0, 4 * clean[p]) for p in programs}
            killers = defaultdict(set)
            for r in results.values():
                if r["file"] == rel and r.get("by") and ":" in r["by"]:
                    program, test = r["by"].split(":", 1)
                    if "." in test and " " not in test:
                        killers[next((p for p in programs if Path(p).name == program), program)].add(test)
            for m in todo:
                started = time.monotonic()
                verdict, by = judge(build, src, m, text, programs, needed, timeouts, killers, args)
                if verdict == "killed" and "." in by.split(":", 1)[1]:
                    program, test = by.split(":", 1)
                    killers[next(p for p in programs if Path(p).name == program)].add(test)
                r = {"file": rel, "hash": digest, "id": m.ident, "status": verdict, "by": by,
                     "seconds": round(time.monotonic() - started, 1)}
                if verdict == "survived":
                    r["diff"] = diff_of(rel, text, m)
                results[(rel, digest, m.ident)] = r
                out.write(json.dumps(r) + "\n")
                out.flush()
                print(f"  {m.ident:40} {verdict}{' by ' + by if by else ''} ({r['seconds']} s)", flush=True)
                if verdict == "survived":
                    print("    " + r["diff"].replace("\n", "\n    ").rstrip())
            # Leave the tree built from the file as it is.
            build_targets(build, needed, args.jobs)
    return report(files, results, equivalent, args)


def report(files, results, equivalent, args):
    """Per folder: mutants, killed, equivalent, survived, not built, for the sampled mutants."""
    per_folder = defaultdict(lambda: defaultdict(int))
    survivors = []
    for src in files:
        rel = str(src.relative_to(ROOT))
        text = src.read_text()
        digest = hashlib.sha256(text.encode()).hexdigest()[:16]
        for (f, h, ident), r in results.items():
            if f != rel or h != digest:
                continue
            folder = per_folder[str(Path(rel).parent)]
            status = r["status"]
            if status == "survived" and (rel, ident) in equivalent:
                if equivalent[(rel, ident)][0] == digest:
                    status = "equivalent"
                else:
                    print(f"stale equivalence (the file changed): {rel} {ident}")
            folder[status] += 1
            if status == "survived":
                survivors.append(r)
    for r in survivors:
        print(f"SURVIVED {r['file']} {r['id']}\n{r['diff']}")
    print(f"{'folder':36} {'mutants':>7} {'killed':>6} {'equiv':>6} {'survived':>8} {'not built':>9} {'score':>6}")
    total = defaultdict(int)
    for folder in sorted(per_folder):
        c = per_folder[folder]
        for k, v in c.items():
            total[k] += v
        print(row(folder, c))
    if len(per_folder) > 1:
        print(row("all", total))
    return 1 if survivors else 0


def row(name, c):
    built = c["killed"] + c["equivalent"] + c["survived"]
    judged = c["killed"] + c["survived"]
    score = f"{100 * c['killed'] / judged:.0f}%" if judged else "-"
    return f"{name:36} {built:7} {c['killed']:6} {c['equivalent']:6} {c['survived']:8} {c['not built']:9} {score:>6}"


if __name__ == "__main__":
    sys.exit(main())
