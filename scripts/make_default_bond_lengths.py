#!/usr/bin/env python3
"""Writes data/default-bond-lengths.txt, the default maximum bond length of
every cation/anion symbol pair, offered when the user chooses bond-type
specific coordination thresholds.

    python3 scripts/make_default_bond_lengths.py [bvsparm.cif] [output]

One line per pair: "(" cation " " anion ")", a tab, the length in Angstrom
with five decimals, for example "(Si O)\t1.99002".

The rule. For each pair (cation symbol, anion symbol) that has a row in the
bond-valence table data/bvsparm.cif (the rows after its header, where the
program looks parameters up; the anion is the atom with a negative
oxidation number), the first such row in file order gives R0 and b, and the
length is the one at which that bond's valence exp((R0 - R) / b) has fallen
to 0.05 valence units:

    R = R0 + b * ln(1 / 0.05)

rounded half away from zero to five decimals. A bond that carries less than
a twentieth of a valence unit no longer counts as part of the coordination
polyhedron. Deuterium (D) takes the rows of hydrogen. The fifteen pairs in
OVERRIDES replace the rule's value (or add a pair the table lacks) with
established limits.
"""

import math
import sys
from decimal import ROUND_HALF_UP, Decimal
from pathlib import Path

SMALLEST_VALENCE = 0.05
FIRST_DATA_LINE = 170  # lines before it are the table's header (0-based)

OVERRIDES = {
    ("Si", "O"): "1.99002",
    ("Al", "O"): "2.10740",
    ("Fe", "O"): "2.44693",
    ("Mg", "O"): "2.41824",
    ("Ca", "O"): "2.83062",
    ("Na", "O"): "2.95693",
    ("K", "O"): "3.25142",
    ("P", "O"): "2.08646",
    ("S", "O"): "1.80000",
    ("C", "O"): "1.97249",
    ("O", "H"): "1.20000",
    ("H", "O"): "2.10000",
    ("D", "O"): "2.10000",
    ("NH", "O"): "3.08895",
    ("O", "O"): "1.70000",
}


def number(text):
    try:
        value = float(text)
    except ValueError:
        return None
    return value if math.isfinite(value) else None


def integer(text):
    try:
        return int(text)
    except ValueError:
        return None


def first_rows(lines):
    """(cation, anion) -> (R0, b) of the first row of each pair."""
    rows = {}
    for line in lines[FIRST_DATA_LINE:]:
        fields = line.split()
        if len(fields) < 6:
            continue
        cation, anion = fields[0], fields[2]
        anion_valence = integer(fields[3])
        r0, b = number(fields[4]), number(fields[5])
        if anion_valence is None or anion_valence >= 0 or r0 is None or b is None or b <= 0:
            continue
        rows.setdefault((cation, anion), (r0, b))
    return rows


def five_decimals(x):
    # Half-way values are rounded away from zero on the number's shortest
    # decimal form, as the program rounds everything it prints.
    return str(Decimal(repr(x)).quantize(Decimal("0.00001"), rounding=ROUND_HALF_UP))


def main():
    root = Path(__file__).resolve().parent.parent
    source = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "data" / "bvsparm.cif"
    target = Path(sys.argv[2]) if len(sys.argv) > 2 else root / "data" / "default-bond-lengths.txt"
    lines = source.read_text(encoding="latin-1").splitlines()

    rows = first_rows(lines)
    for (cation, anion), parameters in list(rows.items()):
        if cation == "H":
            rows.setdefault(("D", anion), parameters)

    lengths = {
        pair: five_decimals(r0 + b * math.log(1 / SMALLEST_VALENCE))
        for pair, (r0, b) in rows.items()
    }
    lengths.update(OVERRIDES)

    pairs = sorted(lengths, key=lambda p: (p[0].lower(), p[0], p[1].lower(), p[1]))
    text = "".join(f"({c} {a})\t{lengths[(c, a)]}\n" for c, a in pairs)
    target.write_text(text, encoding="ascii", newline="\n")
    print(f"wrote {len(pairs)} pairs to {target}")


if __name__ == "__main__":
    main()
