#!/usr/bin/python3
"""Generate Korvana's shipped physics tables and the example beam case.

Usage:
    /usr/bin/python3 tools/make_tables.py [outdir]

outdir defaults to data/ in the repository that holds this tool.  The tool
writes, in fixed-column text with CR LF line ends:

    ICRUSoft.dat       soft-tissue cross sections, form-factor integral and
                       incoherent scattering function (transport engine)
    MU_en2016.dat      air energy-absorption and attenuation data (kerma)
    Pb.dat             lead linear attenuation coefficient
    Tungsten.dat       tungsten linear attenuation coefficient (anode)
    Copper.dat         copper linear attenuation coefficient (filter)
    Aluminum.atc       aluminium linear attenuation coefficient (filter, HVL)
    example/B_SPCTL.dat, example/B2F.txt
                       a default beam case until the spectrum generator
                       writes real ones

All physics values come from xraylib; the programs only read the committed
files, so xraylib is needed only to regenerate them.  The output depends on
nothing but the xraylib data, so running the tool twice gives identical
bytes.  After writing, every file is read back with the same fixed-field
rules the programs use and checked (row counts, positivity, ascending
columns); any violation stops the tool with an error.
"""

import math
import os
import sys

import xraylib

NEWLINE = b"\r\n"

# The common energy grid: row i holds the energy i * 0.5 keV, i = 1 .. 300.
TABLE_ROWS = 300
GRID_STEP_KEV = 0.5

# Tissue cross-section energies in keV.  Each is exact in three significant
# digits (the E9.3 energy field, in MeV), the set reaches above the highest
# photon energy the engine transports (150 keV) and has 25 rows, the most the
# engine's table holds.  The spacing keeps the log-log interpolation of the
# incoherent coefficient, the least power-law-like of the three, within a
# fraction of a percent.
TISSUE_ENERGIES_KEV = (
    1.0, 1.5, 2.0, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0, 12.0, 15.0, 20.0, 25.0,
    30.0, 35.0, 40.0, 50.0, 60.0, 70.0, 80.0, 90.0, 100.0, 120.0, 150.0,
    200.0,
)

# Momentum-transfer values x = sin(theta/2)/lambda in 1/Angstrom for the 45
# scatter-factor rows.  Dense where the coherent form factor falls fast
# (x < 1), coarser in the tail; the last row is x = 10, from where the
# transport treats the incoherent function as saturated.  Each value is exact
# in the three digits of the E10.3 field.
SCATTER_X = (
    0.0, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09,
    0.10, 0.12, 0.14, 0.16, 0.18, 0.20, 0.225, 0.25, 0.275, 0.30,
    0.35, 0.40, 0.45, 0.50, 0.60, 0.70, 0.80, 0.90, 1.00, 1.20,
    1.40, 1.60, 1.80, 2.00, 2.50, 3.00, 3.50, 4.00, 5.00, 6.00,
    7.00, 8.00, 8.50, 9.00, 10.0,
)

# Fine Simpson sub-intervals per scatter-factor row interval.
SIMPSON_STEPS = 400

# Simpson intervals over the polar angle for the incoherent energy transfer.
COMPTON_ANGLE_STEPS = 1000

ELECTRON_REST_ENERGY_KEV = 510.99895

TISSUE_NAME = "Tissue, Soft (ICRU four-component)"
AIR_NAME = "Air, Dry (near sea level)"

# Single-element shielding and filter tables: file name, Z, format.
ELEMENT_TABLES = (
    ("Pb.dat", 82, ((9, 3), (12, 4))),
    ("Tungsten.dat", 74, ((9, 3), (12, 4))),
    ("Copper.dat", 29, ((9, 3), (12, 4))),
    ("Aluminum.atc", 13, ((10, 4), (15, 6))),
)

# Example beam: 80 kV constant potential, tungsten target, 12 degree anode,
# 2.5 mm Al inherent plus 1.5 mm Al added filtration, no copper.
EXAMPLE_TUBE_KV = 80.0
EXAMPLE_TARGET_ANGLE_DEG = 12.0
EXAMPLE_INHERENT_MM_AL = 2.5
EXAMPLE_ADDED_MM_AL = 1.5
EXAMPLE_ADDED_MM_CU = 0.0

# Run settings of the example case, one value a line in B2F.txt.
EXAMPLE_RUN_LINES = (
    "20.0", "80.0", "25.0", "25.0", "0.035", "60.0", "1.000E+06",
    "default.data",
)


# --------------------------------------------------------------------------
# Fixed-field writer (the edit descriptors the programs read)
# --------------------------------------------------------------------------

def stars(width):
    """Field content for a value that does not fit its width."""
    return "*" * width


def format_e(value, width, digits):
    """Ew.d field: optional '-', '.', `digits` significant digits, 'E', the
    exponent sign and two exponent digits, right-aligned; no digit before
    the point.  12.5 in E10.4 gives " .1250E+02", 0 gives " .0000E+00".
    The mantissa is the correctly rounded exact value."""
    if not math.isfinite(value):
        return stars(width)
    if value == 0.0:
        mantissa, exponent = "0" * digits, 0
    else:
        text = "%.*e" % (digits - 1, abs(value))
        lead, exp_text = text.split("e")
        mantissa = lead.replace(".", "")
        exponent = int(exp_text) + 1
    if abs(exponent) > 99:
        return stars(width)
    sign = "-" if value < 0.0 else ""
    field = "%s.%sE%s%02d" % (sign, mantissa, "-" if exponent < 0 else "+",
                              abs(exponent))
    if len(field) > width:
        return stars(width)
    return field.rjust(width)


def format_f(value, width, decimals):
    """Fw.d field with no leading zero for |value| < 1 (0.5 in F6.1 gives
    "    .5")."""
    if not math.isfinite(value):
        return stars(width)
    text = "%.*f" % (decimals, abs(value))
    if text.startswith("0."):
        text = text[1:]
    field = ("-" if value < 0.0 else "") + text
    if len(field) > width:
        return stars(width)
    return field.rjust(width)


def format_i(value, width):
    """Iw field."""
    field = "%d" % value
    if len(field) > width:
        return stars(width)
    return field.rjust(width)


def e_record(values, fields):
    """One record of E fields; fields is a list of (width, digits)."""
    return "".join(format_e(v, w, d) for v, (w, d) in zip(values, fields))


def write_lines(path, lines):
    """Write text lines with CR LF ends (also after the last line)."""
    with open(path, "wb") as handle:
        for line in lines:
            handle.write(line.encode("ascii") + NEWLINE)


# --------------------------------------------------------------------------
# Fixed-field reader used for the self-check
# --------------------------------------------------------------------------

def read_field(text, decimals):
    """Value of one fixed field as the programs read it: blanks do not
    count, a field without a point takes `decimals` implied decimals."""
    digits = text.replace(" ", "")
    if digits == "":
        return 0.0
    if "*" in digits:
        raise ValueError("overflowed field %r" % text)
    mantissa = digits
    exponent = 0
    for marker in ("E", "e", "D", "d"):
        if marker in digits:
            mantissa, exp_text = digits.split(marker, 1)
            exponent = int(exp_text)
            break
    else:
        # A sign after the first character starts an exponent part.
        for pos in range(1, len(digits)):
            if digits[pos] in "+-":
                mantissa, exponent = digits[:pos], int(digits[pos:])
                break
    if "." not in mantissa:
        sign = ""
        if mantissa[:1] in "+-":
            sign, mantissa = mantissa[0], mantissa[1:]
        exponent -= decimals
        mantissa = sign + (mantissa or "0")
    return float("%se%d" % (mantissa, exponent))


def read_record(line, fields):
    """Split one line into fields of (width, digits) and read each."""
    values, pos = [], 0
    for width, digits in fields:
        values.append(read_field(line[pos:pos + width], digits))
        pos += width
    return values


def read_lines(path):
    """Lines of a CR LF file; fails if any line end is not CR LF."""
    with open(path, "rb") as handle:
        data = handle.read()
    if not data.endswith(NEWLINE):
        raise ValueError("%s: last line lacks CR LF" % path)
    lines = data[:-len(NEWLINE)].split(NEWLINE)
    for line in lines:
        if b"\r" in line or b"\n" in line:
            raise ValueError("%s: stray line-end character" % path)
    return [line.decode("ascii") for line in lines]


def read_free_form(path):
    """Numbers of a file split at blanks, commas and line ends, the way the
    interactive program reads its material tables."""
    with open(path, "rb") as handle:
        text = handle.read().decode("ascii")
    return [float(t) for t in text.replace(",", " ").split()]


def check(condition, message):
    """Stop the tool when a generated table breaks an invariant."""
    if not condition:
        raise SystemExit("make_tables: check failed: " + message)


# --------------------------------------------------------------------------
# Physics from xraylib
# --------------------------------------------------------------------------

def grid_energies():
    """The 300 grid energies in keV."""
    return [i * GRID_STEP_KEV for i in range(1, TABLE_ROWS + 1)]


def nist_composition(name):
    """(Z, mass fraction) pairs and density of a NIST compound."""
    data = xraylib.GetCompoundDataNISTByName(name)
    pairs = list(zip(data["Elements"], data["massFractions"]))
    return pairs, data["density"]


def mixture(function, composition, energy_kev):
    """Mass-fraction weighted sum of an elemental quantity (cm2/g)."""
    return sum(w * function(z, energy_kev) for z, w in composition)


def k_fluorescence_escape(z, energy_kev):
    """Fraction of the photon energy that leaves as K fluorescence after a
    photoelectric absorption in element z: the K share of the absorption
    (1 - 1/jump ratio) times the K fluorescence yield times the mean K line
    energy over the photon energy.  L-shell fluorescence of the light
    elements in air and tissue is below 0.01 % and is left out."""
    try:
        edge = xraylib.EdgeEnergy(z, xraylib.K_SHELL)
        if energy_kev < edge:
            return 0.0
        fluorescence_yield = xraylib.FluorYield(z, xraylib.K_SHELL)
        jump = xraylib.JumpFactor(z, xraylib.K_SHELL)
    except ValueError:
        return 0.0
    weighted_energy = rate_sum = 0.0
    for line in (xraylib.KA_LINE, xraylib.KB_LINE):
        try:
            rate = xraylib.RadRate(z, line)
            weighted_energy += rate * xraylib.LineEnergy(z, line)
            rate_sum += rate
        except ValueError:
            pass
    if rate_sum == 0.0:
        return 0.0
    mean_line_energy = weighted_energy / rate_sum
    return (1.0 - 1.0 / jump) * fluorescence_yield * mean_line_energy / energy_kev


def compton_energy_transfer_fraction(z, energy_kev):
    """Mean fraction of the photon energy given to the electron in an
    incoherent scattering by element z: the Klein-Nishina cross section
    weighted with the incoherent scattering function S(x, Z), averaged over
    the polar angle (composite Simpson, COMPTON_ANGLE_STEPS intervals)."""
    h = math.pi / COMPTON_ANGLE_STEPS
    total = transferred = 0.0
    for k in range(1, COMPTON_ANGLE_STEPS + 1):
        theta = k * h
        weight = 1.0 if k == COMPTON_ANGLE_STEPS else (4.0 if k % 2 else 2.0)
        x = xraylib.MomentTransf(energy_kev, theta)
        try:
            scattering_function = xraylib.SF_Compt(z, x)
        except ValueError:
            # Below the first tabulated x, where S(x) ~ x^2 is negligible.
            scattering_function = 0.0
        density = (weight * xraylib.DCS_KN(energy_kev, theta)
                   * scattering_function * math.sin(theta))
        kept = 1.0 / (1.0 + energy_kev / ELECTRON_REST_ENERGY_KEV
                      * (1.0 - math.cos(theta)))
        total += density
        transferred += density * (1.0 - kept)
    return transferred / total


def element_energy_absorption(z, energy_kev):
    """mu_en/rho of element z in cm2/g, built from xraylib's photoelectric
    and incoherent cross sections: photoelectric absorption less the K
    fluorescence that escapes, plus incoherent scattering times the mean
    energy-transfer fraction.  Bremsstrahlung of the secondary electrons is
    below 0.1 % for light elements under 150 keV and is left out."""
    photo = xraylib.CS_Photo(z, energy_kev)
    incoherent = xraylib.CS_Compt(z, energy_kev)
    return (photo * (1.0 - k_fluorescence_escape(z, energy_kev))
            + incoherent * compton_energy_transfer_fraction(z, energy_kev))


def air_energy_absorption(composition, energy_kev):
    """mu_en/rho of air in cm2/g, the mass-fraction sum of the elemental
    values of element_energy_absorption (xraylib's own tabulated
    energy-absorption coefficients are not used, see data/README.md)."""
    return mixture(element_energy_absorption, composition, energy_kev)


def squared_form_factor(composition, x):
    """Mixture F^2(x) = sum_i (w_i/A_i) FF_Rayl(Z_i, x)^2, in electrons^2
    mol/g (per gram of tissue, divided by Avogadro's number)."""
    return sum(w / xraylib.AtomicWeight(z) * xraylib.FF_Rayl(z, x) ** 2
               for z, w in composition)


def incoherent_function(composition, x):
    """Mixture S(x) = sum_i (w_i/A_i) SF_Compt(Z_i, x), in mol/g; S(0) = 0
    and S tends to the electrons per gram over Avogadro's number."""
    if x == 0.0:
        return 0.0
    return sum(w / xraylib.AtomicWeight(z) * xraylib.SF_Compt(z, x)
               for z, w in composition)


def form_factor_integrals(composition, xs):
    """A(x) = integral from 0 to x of F^2(x') d(x'^2) at each x of xs, by
    composite Simpson in x' on SIMPSON_STEPS sub-intervals per row interval
    (the integrand in x' is 2 x' F^2(x')).  Units: electrons^2 mol/g / A^2."""
    def integrand(x):
        return 2.0 * x * squared_form_factor(composition, x)

    total, result = 0.0, [0.0]
    for lower, upper in zip(xs[:-1], xs[1:]):
        h = (upper - lower) / SIMPSON_STEPS
        acc = integrand(lower) + integrand(upper)
        for k in range(1, SIMPSON_STEPS):
            acc += (4.0 if k % 2 else 2.0) * integrand(lower + k * h)
        total += acc * h / 3.0
        result.append(total)
    return result


def attenuation_coefficient(z, energy_kev):
    """Linear attenuation coefficient of element z in 1/cm: total mass
    coefficient including coherent scattering times the element density."""
    return xraylib.CS_Total(z, energy_kev) * xraylib.ElementDensity(z)


# --------------------------------------------------------------------------
# Table files
# --------------------------------------------------------------------------

def write_tissue_table(outdir):
    """ICRUSoft.dat: N, density, N cross-section rows (E9.3,3E10.3) with the
    energy in MeV and the coherent, incoherent and photoelectric linear
    coefficients in 1/cm, then 45 rows (E10.3,2E12.5) of x, A(x), S(x)."""
    composition, density = nist_composition(TISSUE_NAME)
    lines = [format_i(len(TISSUE_ENERGIES_KEV), 3), format_f(density, 9, 6)]
    for energy in TISSUE_ENERGIES_KEV:
        row = [energy / 1000.0]
        for function in (xraylib.CS_Rayl, xraylib.CS_Compt, xraylib.CS_Photo):
            row.append(mixture(function, composition, energy) * density)
        lines.append(e_record(row, ((9, 3), (10, 3), (10, 3), (10, 3))))
    integrals = form_factor_integrals(composition, SCATTER_X)
    for x, integral in zip(SCATTER_X, integrals):
        row = (x, integral, incoherent_function(composition, x))
        lines.append(e_record(row, ((10, 3), (12, 5), (12, 5))))
    path = os.path.join(outdir, "ICRUSoft.dat")
    write_lines(path, lines)
    return path


def check_tissue_table(path):
    """Read ICRUSoft.dat back and check its invariants."""
    lines = read_lines(path)
    count = int(lines[0][:3])
    check(1 <= count <= 25, "tissue row count %d" % count)
    check(len(lines) == count + 2 + 45, "ICRUSoft.dat line count")
    rows = [read_record(line, ((9, 3), (10, 3), (10, 3), (10, 3)))
            for line in lines[2:2 + count]]
    for prev, row in zip(rows, rows[1:]):
        check(row[0] > prev[0], "tissue energies not ascending")
    check(rows[-1][0] * 1000.0 > 150.0, "tissue table ends below 150 keV")
    check(all(v > 0.0 for row in rows for v in row[1:]),
          "non-positive tissue coefficient")
    scatter = [read_record(line, ((10, 3), (12, 5), (12, 5)))
               for line in lines[2 + count:]]
    check(scatter[0][0] == 0.0 and scatter[0][1] == 0.0, "row 1 not x=0,A=0")
    check(scatter[-1][0] >= 10.0, "last x below 10")
    for prev, row in zip(scatter, scatter[1:]):
        check(row[0] > prev[0], "x not strictly ascending at %r" % row)
        check(row[1] > prev[1], "A(x) not strictly ascending at %r" % row)
    return rows, scatter


def write_air_table(outdir):
    """MU_en2016.dat: 300 rows (E11.4,4E15.6) of energy (keV), mu_en/rho,
    mu/rho with coherent, mu/rho without coherent, photoelectric mu/rho of
    dry air, all in cm2/g."""
    composition, _ = nist_composition(AIR_NAME)
    lines = []
    for energy in grid_energies():
        photo = mixture(xraylib.CS_Photo, composition, energy)
        incoherent = mixture(xraylib.CS_Compt, composition, energy)
        coherent = mixture(xraylib.CS_Rayl, composition, energy)
        row = (energy, air_energy_absorption(composition, energy),
               photo + incoherent + coherent, photo + incoherent, photo)
        lines.append(e_record(row, ((11, 4),) + ((15, 6),) * 4))
    path = os.path.join(outdir, "MU_en2016.dat")
    write_lines(path, lines)
    return path


def check_grid_table(path, fields, columns):
    """Read a 300-row grid table back (fixed fields) and check that it has
    300 rows and positive values; returns the rows."""
    lines = read_lines(path)
    check(len(lines) == TABLE_ROWS, "%s has %d lines" % (path, len(lines)))
    rows = [read_record(line, fields) for line in lines]
    for row in rows:
        check(all(v > 0.0 for v in row[:columns]),
              "%s: non-positive value %r" % (path, row))
    return rows


def write_element_table(outdir, file_name, z, fields):
    """One single-element table: 300 rows of energy (keV) and the linear
    attenuation coefficient (1/cm)."""
    lines = [e_record((energy, attenuation_coefficient(z, energy)), fields)
             for energy in grid_energies()]
    path = os.path.join(outdir, file_name)
    write_lines(path, lines)
    return path


def check_element_table(path, fields):
    """Fixed-field and free-form read-back of a single-element table: both
    readers must see the same 600 numbers."""
    rows = check_grid_table(path, fields, 2)
    numbers = read_free_form(path)
    check(len(numbers) == 2 * TABLE_ROWS, "%s: free-form count" % path)
    check(numbers == [v for row in rows for v in row],
          "%s: free-form and fixed-field reads differ" % path)
    return rows


# --------------------------------------------------------------------------
# Example beam case
# --------------------------------------------------------------------------

def example_spectrum(aluminium_mu):
    """Unnormalised photon fluence per bin of the example beam: the Kramers
    thick-target continuum (kV - E)/E (photons per keV per unit
    tube charge, Kramers constant 1) attenuated by the total aluminium
    filtration, inherent plus added.  aluminium_mu holds the 300 aluminium
    coefficients (1/cm) as written to Aluminum.atc.  Bins at and above the
    tube voltage are 0; no characteristic lines."""
    thickness_cm = (EXAMPLE_INHERENT_MM_AL + EXAMPLE_ADDED_MM_AL) / 10.0
    fluence = []
    for energy, mu in zip(grid_energies(), aluminium_mu):
        if energy >= EXAMPLE_TUBE_KV:
            fluence.append(0.0)
        else:
            continuum = (EXAMPLE_TUBE_KV - energy) / energy
            fluence.append(continuum * math.exp(-mu * thickness_cm))
    return fluence


def write_example_case(outdir, aluminium_mu):
    """example/B_SPCTL.dat (300 bins normalised to the largest, then the
    beam descriptor) and example/B2F.txt (run settings)."""
    case_dir = os.path.join(outdir, "example")
    os.makedirs(case_dir, exist_ok=True)
    fluence = example_spectrum(aluminium_mu)
    peak = max(fluence)
    lines = ["%06.1f, %.5f" % (energy, value / peak)
             for energy, value in zip(grid_energies(), fluence)]
    lines += [
        "%.3f" % (1000.0 * peak),
        "%05.1f" % EXAMPLE_TUBE_KV,
        "%04.1f" % EXAMPLE_TARGET_ANGLE_DEG,
        "%06.3f" % EXAMPLE_INHERENT_MM_AL,
        "%06.3f" % EXAMPLE_ADDED_MM_AL,
        "%06.3f" % EXAMPLE_ADDED_MM_CU,
    ]
    spectrum_path = os.path.join(case_dir, "B_SPCTL.dat")
    write_lines(spectrum_path, lines)
    run_path = os.path.join(case_dir, "B2F.txt")
    write_lines(run_path, EXAMPLE_RUN_LINES)
    return spectrum_path, run_path


def check_example_case(spectrum_path, run_path):
    """Read the example spectrum back as the programs do: (F6.1,A1,F8.5)
    for the bins, free-form for the descriptor."""
    lines = read_lines(spectrum_path)
    check(len(lines) == TABLE_ROWS + 6, "B_SPCTL.dat line count")
    bins = []
    for i, line in enumerate(lines[:TABLE_ROWS], start=1):
        check(len(line) == 15 and line[6:8] == ", ",
              "B_SPCTL.dat line %d layout %r" % (i, line))
        check(read_field(line[0:6], 1) == i * GRID_STEP_KEV,
              "B_SPCTL.dat line %d energy" % i)
        bins.append(read_field(line[7:15], 5))
    check(max(bins) == 1.0, "spectrum maximum is not 1")
    top = max(i for i, v in enumerate(bins, start=1) if v > 0.0)
    check(top * GRID_STEP_KEV < EXAMPLE_TUBE_KV, "bin at or above kV")
    descriptor = [float(line.split()[0]) for line in lines[TABLE_ROWS:]]
    check(descriptor[1:] == [EXAMPLE_TUBE_KV, EXAMPLE_TARGET_ANGLE_DEG,
                             EXAMPLE_INHERENT_MM_AL, EXAMPLE_ADDED_MM_AL,
                             EXAMPLE_ADDED_MM_CU], "beam descriptor")
    check(read_lines(run_path) == list(EXAMPLE_RUN_LINES), "B2F.txt")
    return bins, descriptor


# --------------------------------------------------------------------------

def default_outdir():
    """data/ next to the tools/ directory holding this file."""
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    return os.path.join(root, "data")


def main(argv):
    """Write every table, read each back and check it."""
    if len(argv) > 2:
        raise SystemExit("usage: make_tables.py [outdir]")
    outdir = argv[1] if len(argv) == 2 else default_outdir()
    os.makedirs(outdir, exist_ok=True)

    check_tissue_table(write_tissue_table(outdir))
    check_grid_table(write_air_table(outdir), ((11, 4),) + ((15, 6),) * 4, 5)
    element_rows = {}
    for file_name, z, fields in ELEMENT_TABLES:
        path = write_element_table(outdir, file_name, z, fields)
        element_rows[file_name] = check_element_table(path, fields)
    aluminium_mu = [row[1] for row in element_rows["Aluminum.atc"]]
    check_example_case(*write_example_case(outdir, aluminium_mu))
    print("make_tables: tables written to %s (xraylib %s)"
          % (outdir, getattr(xraylib, "__version__", "unknown")))


if __name__ == "__main__":
    main(sys.argv)
