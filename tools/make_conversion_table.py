#!/usr/bin/python3
"""Generate d-DperK.dDk, the eye lens dose conversion table.

Usage:
    /usr/bin/python3 tools/make_conversion_table.py [datadir]

datadir defaults to data/ in the repository that holds this tool.  The tool
reads MU_en2016.dat from datadir (the mass energy-absorption coefficient of
air as shipped, its second column) and writes d-DperK.dDk beside it: 300
records on the 0.5 keV grid, each

    energy [keV]   air kerma per photon   absorbed dose at 3 mm per photon

as "(E10.4,2E15.6)" with CR LF line ends.  Both coefficients are in
keV cm2/g per photon (per unit fluence of one photon per cm2), so their
ratio is the conversion coefficient Hp(3)/Ka in Sv/Gy:

    kerma(E) = E * mu_en/rho(air, E)
    dose(E)  = kerma(E) * h(E)

h(E) comes from the published values for mono-energetic photons at 0 degrees
on the ICRU tissue cylinder (20 cm diameter, 20 cm high), the eye-lens
phantom of ISO 4037-3:2019 (values after Behrens 2012 and Gualdrini et al.
2013), interpolated linearly in log(E)-log(h) between the published points
and extrapolated below 8 keV along the 8-10 keV segment, which falls
towards 0 (h ~ E^6.2).

The output depends only on MU_en2016.dat, so running the tool twice gives
identical bytes.  The file is read back, free-form as the interactive
program reads it, and checked; a failed check stops the tool.
"""

import math
import os
import sys

NEWLINE = b"\r\n"
TABLE_ROWS = 300
GRID_STEP_KEV = 0.5
OUTPUT_NAME = "d-DperK.dDk"
AIR_TABLE_NAME = "MU_en2016.dat"

# Hp(3)/Ka [Sv/Gy] for mono-energetic photons at 0 degrees on the cylinder
# phantom: ISO 4037-3:2019, after Behrens 2012 and Gualdrini et al. 2013.
# (energy keV, coefficient)
HP3_PER_KERMA = (
    (8.0, 0.0614), (10.0, 0.244), (20.0, 0.919), (30.0, 1.22),
    (40.0, 1.45), (50.0, 1.60), (60.0, 1.67), (70.0, 1.67), (80.0, 1.65),
    (90.0, 1.61), (100.0, 1.58), (110.0, 1.55), (150.0, 1.45),
    (200.0, 1.37),
)


def format_e(value, width, digits):
    """Ew.d field as the programs' fixed-column writers make it: optional
    '-', '.', `digits` significant digits, 'E', exponent sign and two
    digits, right-aligned, no digit before the point."""
    if not math.isfinite(value):
        raise ValueError("value %r cannot be written" % value)
    if value == 0.0:
        mantissa, exponent = "0" * digits, 0
    else:
        lead, exp_text = ("%.*e" % (digits - 1, abs(value))).split("e")
        mantissa = lead.replace(".", "")
        exponent = int(exp_text) + 1
    field = "%s.%sE%s%02d" % ("-" if value < 0.0 else "", mantissa,
                              "-" if exponent < 0 else "+", abs(exponent))
    if len(field) > width or abs(exponent) > 99:
        raise ValueError("value %r does not fit E%d.%d" % (value, width, digits))
    return field.rjust(width)


def read_free_form(path):
    """All numbers of a file, separated by blanks, commas or line ends."""
    with open(path, "rb") as handle:
        text = handle.read().decode("ascii")
    return [float(item) for item in text.replace(",", " ").split()]


def check(condition, message):
    if not condition:
        sys.exit("make_conversion_table: check failed: " + message)


def air_energy_absorption(path):
    """Second number of each of the first 300 records of MU_en2016.dat
    (five numbers a record), cm2/g."""
    numbers = read_free_form(path)
    check(len(numbers) >= 5 * TABLE_ROWS, "%s holds %d numbers, %d needed"
          % (path, len(numbers), 5 * TABLE_ROWS))
    return [numbers[5 * row + 1] for row in range(TABLE_ROWS)]


def conversion_coefficient(energy_kev):
    """Hp(3)/Ka at `energy_kev`, log-log interpolation of HP3_PER_KERMA;
    below the first point the first segment is extended."""
    points = HP3_PER_KERMA
    segment = 0
    while segment < len(points) - 2 and energy_kev > points[segment + 1][0]:
        segment += 1
    (e0, h0), (e1, h1) = points[segment], points[segment + 1]
    slope = math.log(h1 / h0) / math.log(e1 / e0)
    return math.exp(math.log(h0) + slope * math.log(energy_kev / e0))


def table_rows(mu_en):
    rows = []
    for row in range(1, TABLE_ROWS + 1):
        energy = row * GRID_STEP_KEV
        # The dose follows from the kerma as written, so that the ratio of
        # the two columns as read differs from h(E) only by the dose's rounding.
        kerma = float(format_e(energy * mu_en[row - 1], 15, 6))
        dose = kerma * conversion_coefficient(energy)
        rows.append((energy, kerma, dose))
    return rows


def write_table(path, rows):
    with open(path, "wb") as handle:
        for energy, kerma, dose in rows:
            line = format_e(energy, 10, 4) + format_e(kerma, 15, 6) + format_e(dose, 15, 6)
            handle.write(line.encode("ascii") + NEWLINE)


def check_table(path):
    with open(path, "rb") as handle:
        raw = handle.read()
    check(raw.count(b"\r\n") == TABLE_ROWS and raw.count(b"\n") == TABLE_ROWS,
          "%s must have %d CR LF lines" % (path, TABLE_ROWS))
    numbers = read_free_form(path)
    check(len(numbers) == 3 * TABLE_ROWS, "%s must hold %d numbers" % (path, 3 * TABLE_ROWS))
    for row in range(TABLE_ROWS):
        energy, kerma, dose = numbers[3 * row:3 * row + 3]
        check(energy == (row + 1) * GRID_STEP_KEV, "energy of record %d" % (row + 1))
        check(kerma > 0.0 and dose > 0.0, "positive coefficients in record %d" % (row + 1))
    for energy, coefficient in HP3_PER_KERMA:
        if energy > TABLE_ROWS * GRID_STEP_KEV:
            continue
        row = int(round(energy / GRID_STEP_KEV)) - 1
        ratio = numbers[3 * row + 2] / numbers[3 * row + 1]
        check(abs(ratio / coefficient - 1.0) < 5e-6,
              "ratio %.7g at %g keV, published %g" % (ratio, energy, coefficient))


def default_datadir():
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "data")


def main(argv):
    datadir = argv[1] if len(argv) > 1 else default_datadir()
    mu_en = air_energy_absorption(os.path.join(datadir, AIR_TABLE_NAME))
    path = os.path.join(datadir, OUTPUT_NAME)
    write_table(path, table_rows(mu_en))
    check_table(path)
    print("wrote %s" % os.path.normpath(path))


if __name__ == "__main__":
    main(sys.argv)
