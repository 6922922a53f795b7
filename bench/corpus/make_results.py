#!/usr/bin/env python3
"""Writes result files in the layout DURNO reads, for its benchmarks.

    make_results.py OUT_DIR [--files N] [--steps N] [--seed N]

writes OUT_DIR/run01.out ... (CR LF lines), the 50-key compound list OUT_DIR/bench50.cpd
and the file list OUT_DIR/bench.xtr, both as DURNO saves lists. Each step is about 165
lines: the step marker, VAP, WTVAP and PTOT (after 0 to 5 blanks, with blanks around '='
that vary), free text, A, G and F lines for 20 oxides, wt% lines, P and X lines for 30
gases and element lines, numbers in the forms Fortran prints. The bytes depend only on
the seed, the file's number and the steps, so every run of a benchmark reads the same.
"""
import argparse
import os
import random

OXIDES = ["SiO2", "MgO", "FeO", "Fe2O3", "CaO", "Al2O3", "TiO2", "Na2O", "K2O", "Cr2O3",
          "MnO", "NiO", "CoO", "P2O5", "ZrO2", "Li2O", "Fe3O4", "Ti2O3", "ThO2", "UO2"]
GASES = ["SiO", "SiO2", "Si", "O2", "O", "Mg", "MgO", "Fe", "FeO", "Na", "Na2", "NaO",
         "Na2O", "K", "K2", "KO", "K2O", "Ca", "CaO", "Al", "AlO", "Al2O", "AlO2", "Ti",
         "TiO", "TiO2", "Cr", "CrO", "Mn", "Ni"]
ELEMENTS = ["Si", "Mg", "Fe", "Ca", "Al", "Ti", "Na", "K", "O", "Cr"]


def number(rng, value):
    forms = ("%.4E", "%.4E", "%.3E", "%.6f", "%.2e", "%12.5E")
    return forms[rng.randrange(len(forms))] % value


def line(rng, key, value):
    return "%s%s%s%s\r\n" % (" " * rng.randrange(6), key, rng.choice((" = ", " =  ", "  = ")),
                             number(rng, value))


def step_block(rng, step, fraction):
    out = [" STEP NUMBER %5d\r\n" % step,
           " TEMPERATURE (K) = %9.2f\r\n\r\n" % (1800 + 400 * fraction),
           line(rng, "VAP", fraction * fraction),
           line(rng, "WTVAP", 100 * fraction * rng.uniform(0.9, 1.0)),
           line(rng, "PTOT", rng.uniform(1e-6, 1e-2)),
           " ITERATIONS = %3d   LOG10 FO2 = %.2e\r\n\r\n" % (rng.randrange(3, 40), -4 - 6 * fraction)]
    for kind in "AGF":
        out += [line(rng, kind + oxide, 10 ** rng.uniform(-5, 0)) for oxide in OXIDES]
    out += ["   %-8s WT%% = %8.3f\r\n" % (oxide, rng.uniform(0, 60)) for oxide in OXIDES]
    for kind in "PX":
        out += [line(rng, kind + gas, 10 ** rng.uniform(-14, -2)) for gas in GASES]
    out += ["   %-3s LOG10 ACTIVITY = %.3e\r\n" % (e, -rng.uniform(0, 9)) for e in ELEMENTS]
    return out


def write_list(path, names):
    with open(path, "w", newline="") as out:
        out.write(" %d \r\n" % len(names))
        out.writelines(name + "\r\n" for name in names)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--files", type=int, default=70)
    parser.add_argument("--steps", type=int, default=1400)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    names = []
    for index in range(1, args.files + 1):
        rng = random.Random(args.seed * 1000003 + index)
        name = os.path.join(args.out, "run%02d.out" % index)
        with open(name, "w", newline="") as out:
            out.write(" ZEPRO - RESULT FILE %d\r\n\r\n" % index)
            for step in range(1, args.steps + 1):
                out.writelines(step_block(rng, step, step / args.steps))
        names.append(name)
    write_list(os.path.join(args.out, "bench50.cpd"),
               ["A" + o + " " for o in OXIDES] + ["P" + g + " " for g in GASES])
    write_list(os.path.join(args.out, "bench.xtr"), names)


if __name__ == "__main__":
    main()
