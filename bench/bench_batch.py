#!/usr/bin/env python3
"""Speed and memory of the batch program, run as a user runs it.

Runs kevo21-batch (the release build by default) over examples/ and over
generated P 1 rock-salt supercells of 100 + 100, 500 + 500 and 1000 + 1000
records, and prints for --list, the default run and --json the files per
second, the time per file and the peak memory (the largest resident set of
the process). Then: the start-up (one tiny file listed), reading and listing
forsterite per file after start-up, how -j 2 scales on a run of many files,
and the peak memory of -j 8 over eight files. Every time is the best of
--runs runs. Files are written to /dev/shm where it exists, so that the
figures are the program's and not the disk's.

    python3 bench/bench_batch.py [--program PATH] [--runs N]
    python3 bench/bench_batch.py --generate DIR   # only write the supercells
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLES = os.path.join(ROOT, "examples")
FORSTERITE = os.path.join(EXAMPLES, "forsterite_Mg2SiO4_AMCSD0000546.cif")

# (file name, supercell repeats along a, b, c); four Na and four Cl per cell.
SUPERCELLS = [
    ("supercell-100.cif", (5, 5, 1)),
    ("supercell-500.cif", (5, 5, 5)),
    ("supercell-1000.cif", (5, 5, 10)),
]


def supercell_cif(repeats):
    """A rock-salt supercell in P 1, every position shifted a little
    (deterministically) so that bond lengths and weights differ."""
    na_, nb_, nc_ = repeats
    a = 5.62
    lines = [
        "data_supercell",
        "_cell_length_a %.4f" % (a * na_),
        "_cell_length_b %.4f" % (a * nb_),
        "_cell_length_c %.4f" % (a * nc_),
        "_cell_angle_alpha 90",
        "_cell_angle_beta 90",
        "_cell_angle_gamma 90",
        "_symmetry_space_group_name_H-M 'P 1'",
        "loop_",
        "_symmetry_equiv_pos_as_xyz",
        "'x, y, z'",
        "loop_",
        "_atom_site_label",
        "_atom_site_type_symbol",
        "_atom_site_fract_x",
        "_atom_site_fract_y",
        "_atom_site_fract_z",
        "_atom_site_occupancy",
    ]
    seed = 12345

    def jitter():
        nonlocal seed
        seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
        return (((seed >> 16) & 0x7FFF) / 32768.0 - 0.5) * 0.004

    base = [(0, 0, 0), (0, 0.5, 0.5), (0.5, 0, 0.5), (0.5, 0.5, 0)]
    n = 0
    for i in range(na_):
        for j in range(nb_):
            for k in range(nc_):
                for b in base:
                    n += 1
                    x, y, z = (i + b[0]) / na_, (j + b[1]) / nb_, (k + b[2]) / nc_
                    lines.append("Na%d Na1+ %.5f %.5f %.5f 1" % (n, x + jitter(), y + jitter(),
                                                                 z + jitter()))
                    x += 0.5 / na_
                    lines.append("Cl%d Cl1- %.5f %.5f %.5f 1" % (n, x + jitter(), y + jitter(),
                                                                 z + jitter()))
    return "\n".join(lines) + "\n"


def generate(folder):
    paths = []
    for name, repeats in SUPERCELLS:
        path = os.path.join(folder, name)
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(supercell_cif(repeats))
        paths.append(path)
    return paths


def run_once(cmd):
    """Wall time in seconds and peak resident set in MiB of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    err = proc.stderr.read().decode("utf-8", "replace")
    proc.stderr.close()
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (proc.returncode, " ".join(cmd), err))
    return seconds, usage.ru_maxrss / 1024.0


def best(cmd, runs):
    results = [run_once(cmd) for _ in range(runs)]
    return min(r[0] for r in results), max(r[1] for r in results)


def row(label, files, seconds, mib):
    print("%-44s %5d files %9.1f files/s %9.2f ms/file %8.1f MiB peak" %
          (label, files, files / seconds, 1000.0 * seconds / files, mib))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", default=os.path.join(ROOT, "build/release/cli/kevo21-batch"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--generate", metavar="DIR", help="only write the supercells into DIR")
    args = parser.parse_args()

    if args.generate:
        os.makedirs(args.generate, exist_ok=True)
        for path in generate(args.generate):
            print(path)
        return
    program = os.path.abspath(args.program)
    if not os.access(program, os.X_OK):
        sys.exit("no program at %s (build the release preset first)" % program)

    base = "/dev/shm" if os.path.isdir("/dev/shm") else None
    work = tempfile.mkdtemp(prefix="kevo-bench-batch-", dir=base)
    try:
        out = os.path.join(work, "out")
        os.makedirs(out)
        examples = sorted(os.path.join(EXAMPLES, f) for f in os.listdir(EXAMPLES)
                          if f.endswith(".cif"))
        supercells = generate(work)
        # The program's own table, however it was built or installed.
        cmd = [program, "--out", out]

        print("program: %s (best of %d runs)" % (program, args.runs))
        sets = [("examples/", examples)] + [(os.path.basename(p), [p]) for p in supercells]
        for mode, extra in (("--list", ["--list"]), ("default", []), ("--json", ["--json"])):
            for name, files in sets:
                seconds, mib = best(cmd + extra + files, args.runs)
                row("%s %s" % (mode, name), len(files), seconds, mib)

        # Start-up: the whole process listing one tiny structure.
        tiny = os.path.join(EXAMPLES, "halite_NaCl_COD1000041.cif")
        seconds, mib = best(cmd + ["--list", tiny], max(args.runs, 5))
        print("start-up (process listing halite): %.2f ms, %.1f MiB peak" %
              (1000.0 * seconds, mib))

        # Reading and listing forsterite, per file after start-up.
        copies = os.path.join(work, "copies")
        os.makedirs(copies)
        many = []
        for k in range(200):
            path = os.path.join(copies, "forsterite-%03d.cif" % k)
            shutil.copyfile(FORSTERITE, path)
            many.append(path)
        one, _ = best(cmd + ["--list", many[0]], max(args.runs, 5))
        all_, _ = best(cmd + ["--list"] + many, args.runs)
        print("--list forsterite after start-up: %.3f ms per file (200 files %.1f ms, one %.1f ms)"
              % (1000.0 * (all_ - one) / (len(many) - 1), 1000.0 * all_, 1000.0 * one))

        # -j scaling on many files: six copies of every example.
        manyfiles = []
        for k in range(6):
            for f in examples:
                path = os.path.join(copies, "%d-%s" % (k, os.path.basename(f)))
                shutil.copyfile(f, path)
                manyfiles.append(path)
        t1, m1 = best(cmd + ["--json", "-j", "1"] + manyfiles, args.runs)
        t2, m2 = best(cmd + ["--json", "-j", "2"] + manyfiles, args.runs)
        row("--json -j 1 (%d files)" % len(manyfiles), len(manyfiles), t1, m1)
        row("--json -j 2 (%d files)" % len(manyfiles), len(manyfiles), t2, m2)
        print("-j 2 speed-up: %.2f" % (t1 / t2))

        seconds, mib = best(cmd + ["--json", "-j", "8"] + examples, args.runs)
        row("--json -j 8 examples/", len(examples), seconds, mib)
        seconds, mib = best(cmd + ["--json", "--geometry"] + examples, args.runs)
        row("--json --geometry examples/", len(examples), seconds, mib)
        seconds, mib = best(cmd + ["--json", "--geometry", supercells[-1]], args.runs)
        row("--json --geometry supercell-1000.cif", 1, seconds, mib)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
