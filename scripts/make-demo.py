#!/usr/bin/env python3
"""(Re)create the bundled demo game folder of Corvanel.

Usage:  python3 scripts/make-demo.py [--out DIR]

Without --out the folder is written to demo/ beside this script's parent
folder (the repository root).  Everything in it is invented content made
for Corvanel's tests and screenshots; it is not taken from any game or
add-on.  The output is deterministic: running the script twice gives the
same bytes, the same file modes and the same modification times.

Note that git keeps neither the read-only mode of one consist nor the
modification times, so after a fresh checkout run this script again to get
the exact demo folder (README-demo.txt says which file is read-only).
"""

import argparse
import os
import shutil
import stat
import sys

HEADER = "SIMISA@@@@@@@@@@JINX0D0t______"
FIXED_TIME = 1704067200  # 2024-01-01 00:00:00 UTC, for every file and folder

# --------------------------------------------------------------------------
# Rolling stock: folder -> list of (file name, text).  All values invented.
# --------------------------------------------------------------------------

COUPLING = (
    "\tCoupling (\n"
    "\t\tType ( Automatic )\n"
    "\t\tSpring (\n"
    "\t\t\tStiffness ( 1e6N/m 5e6N/m )\n"
    "\t\t\tDamping ( 1e6N/m/s 1e6N/m/s )\n"
    "\t\t\tBreak ( 1e7N 1e7N )\n"
    "\t\t\tr0 ( 10cm 30cm )\n"
    "\t\t)\n"
    "\t\tVelocity ( 0.1m/s )\n"
    "\t)\n"
)


def wagon_block(ident, kind, shape, size, mass, name, extra=""):
    w, h, l = size
    return (
        f"Wagon ( {ident}\n"
        f"\tType ( {kind} )\n"
        f"\tWagonShape ( {shape} )\n"
        f"\tSize ( {w}m {h}m {l}m )\n"
        f"\tMass ( {mass}t )\n"
        f"\tWheelRadius ( 0.46m )\n"
        f"\tInertiaTensor ( Box ( {w}m {h}m {l}m ) )\n"
        f"{COUPLING}"
        f"{extra}"
        f"\tName ( \"{name}\" )\n"
        f")\n"
    )


def wag_file(ident, shape, size, mass, name, kind="Freight"):
    return f"{HEADER}\n\n" + wagon_block(ident, kind, shape, size, mass, name)


def eng_file(ident, shape, size, mass, name, engine_type, power_kw, force_kn,
             max_speed, description):
    wagon = wagon_block(ident, "Engine", shape, size, mass, name)
    engine = (
        f"Engine ( {ident}\n"
        f"\tWagon ( {ident} )\n"
        f"\tType ( {engine_type} )\n"
        f"\tMaxPower ( {power_kw}kW )\n"
        f"\tMaxForce ( {force_kn}kN )\n"
        f"\tMaxContinuousForce ( {int(force_kn * 0.65)}kN )\n"
        f"\tMaxVelocity ( {max_speed}kph )\n"
        f"\tMaxCurrent ( 1800A )\n"
        f"\tWheelRadius ( 0.55m )\n"
        f"\tNumWheels ( {6 if engine_type == 'Diesel' else 4} )\n"
        f"\tSound ( \"{ident}.sms\" )\n"
        f"\tName ( \"{name}\" )\n"
        f"\tDescription ( \"{description}\" )\n"
        f")\n"
    )
    return f"{HEADER}\n\n{wagon}\n{engine}"


def shape_placeholder(name):
    return (f"SIMISA@@@@@@@@@@JINX0s1t______\n\n"
            f"comment ( Corvanel demo placeholder shape for {name}, not a real shape )\n")


TRAINSET = {
    "CRV_Class66": [
        ("CRV_Class66.eng", eng_file(
            "CRV_Class66", "CRV_Class66.s", (2.65, 3.90, 21.30), 127,
            "CRV Class 66 Diesel", "Diesel", 2450, 405, 120,
            "Invented heavy freight diesel, Corvanel demo livery.")),
        ("CRV_Class66_Blue.eng", eng_file(
            "CRV_Class66_Blue", "CRV_Class66.s", (2.65, 3.90, 21.30), 127,
            "CRV Class 66 Diesel (blue)", "Diesel", 2450, 405, 120,
            "Invented heavy freight diesel, blue demo livery.")),
        ("CRV_Class66.s", shape_placeholder("CRV_Class66")),
    ],
    "CRV_BB7200": [
        ("CRV_BB7200.eng", eng_file(
            "CRV_BB7200", "CRV_BB7200.s", (2.90, 4.05, 17.48), 84,
            "CRV BB 7200 Electrique", "Electric", 4040, 290, 160,
            "Locomotive electrique inventee, livree demo Corvanel.")),
        ("BB7200 Fret.eng", eng_file(
            "BB7200_Fret", "CRV_BB7200.s", (2.90, 4.05, 17.48), 84,
            "CRV BB 7200 Fret", "Electric", 4040, 290, 100,
            "Locomotive electrique inventee, version fret.")),
        ("CRV_BB7200.s", shape_placeholder("CRV_BB7200")),
    ],
    "CRV Coach Set": [
        ("Coach A.wag", wag_file("Coach_A", "CRV_Coach.s", (2.82, 4.05, 24.50), 42,
                                 "CRV Coach A (1st class)", kind="Carriage")),
        ("Coach B.wag", wag_file("Coach_B", "CRV_Coach.s", (2.82, 4.05, 24.50), 41,
                                 "CRV Coach B (2nd class)", kind="Carriage")),
        ("Brake Van.wag", wag_file("Brake_Van", "CRV_Brake.s", (2.82, 4.05, 20.10), 36,
                                   "CRV Brake Van", kind="Carriage")),
        ("CRV_Coach.s", shape_placeholder("CRV Coach Set")),
    ],
    "CRV_Hopper": [
        ("CRV_Hopper.wag", wag_file("CRV_Hopper", "CRV_Hopper.s", (3.00, 3.85, 15.50), 90,
                                    "CRV Hopper (loaded)")),
        ("CRV_Hopper_Empty.wag", wag_file("CRV_Hopper_Empty", "CRV_Hopper.s",
                                          (3.00, 3.85, 15.50), 24, "CRV Hopper (empty)")),
    ],
    "crv_tanker": [
        ("crv_tanker.wag", wag_file("crv_tanker", "crv_tanker.s", (2.95, 4.00, 16.20), 80,
                                    "CRV Tank Wagon")),
        ("crv_tanker.s", shape_placeholder("crv_tanker")),
    ],
    "CRV_Boxcar": [
        ("CRV_Boxcar.wag", wag_file("CRV_Boxcar", "CRV_Boxcar.s", (2.90, 4.10, 14.80), 38,
                                    "CRV Covered Wagon")),
        ("CRV_Boxcar_Rouge.wag", wag_file("CRV_Boxcar_Rouge", "CRV_Boxcar.s",
                                          (2.90, 4.10, 14.80), 38, "CRV Wagon couvert rouge")),
    ],
}

# --------------------------------------------------------------------------
# Consists.  Each vehicle is (kind, text inside the parentheses, flipped).
# The text is written verbatim, so unsound lines can be written too.
# --------------------------------------------------------------------------

E, W = "Engine", "Wagon"


def con(file, display, velocity, vehicles, valid, why, encoding="ascii",
        read_only=False):
    return dict(file=file, display=display, velocity=velocity,
                vehicles=vehicles, valid=valid, why=why, encoding=encoding,
                read_only=read_only)


CONSISTS = [
    # ---- valid -----------------------------------------------------------
    con("CRV_66_Hoppers.con", "Freight 66 hoppers", 33.52800, [
        (E, "CRV_Class66 CRV_Class66", False),
        (W, "CRV_Hopper CRV_Hopper", False),
        (W, "CRV_Hopper CRV_Hopper", False),
        (W, "CRV_Hopper_Empty CRV_Hopper", False),
    ], True, "engine and hoppers all exist"),
    con("CRV_Corail.con", "Corail Dijon - Belfort", 44.44400, [
        (E, "CRV_BB7200 CRV_BB7200", False),
        (W, '"Coach A" "CRV Coach Set"', False),
        (W, '"Coach B" "CRV Coach Set"', False),
        (W, '"Coach B" "CRV Coach Set"', False),
        (W, '"Brake Van" "CRV Coach Set"', False),
    ], True, "quoted file and folder names with blanks, all exist"),
    con("Night Mail 1.con", "Night Mail 1", 33.52800, [
        (E, "CRV_Class66_Blue CRV_Class66", False),
        (W, '"Brake Van" "CRV Coach Set"', False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
    ], True, "consist file name with blanks; all vehicles exist"),
    con("CRV_Tank_Train.con", "Tank train 66", 26.82200, [
        (E, "crv_class66 crv_class66", False),
        (W, "CRV_TANKER CRV_Tanker", False),
        (W, "crv_tanker crv_tanker", False),
        (W, "Crv_Tanker CRV_TANKER", False),
    ], True, "letter case differs from disk (crv_class66, CRV_TANKER...); "
             "the game ignores case"),
    con("Legacy.CON", "Legacy goods", 27.77800, [
        (E, "CRV_BB7200 CRV_BB7200", False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
        (W, "CRV_Boxcar_Rouge CRV_Boxcar", False),
    ], True, "upper-case .CON extension; all vehicles exist"),
    con("Express Cote Azur.con", "Express C\u00f4te d'Azur", 44.44400, [
        (E, "CRV_BB7200 CRV_BB7200", False),
        (W, '"Coach A" "CRV Coach Set"', False),
        (W, '"Coach A" "CRV Coach Set"', False),
        (W, '"Coach B" "CRV Coach Set"', False),
        (W, '"Brake Van" "CRV Coach Set"', False),
    ], True, "UTF-16 LE with BOM; accented display name; all vehicles exist",
        encoding="utf-16"),
    con("CRV_Light_Engine.con", "Light engine 66", 33.52800, [
        (E, "CRV_Class66 CRV_Class66", False),
    ], True, "a single engine that exists"),
    con("Fret BB7200.con", "Fret BB7200 wagons couverts", 27.77800, [
        (E, '"BB7200 Fret" CRV_BB7200', False),
        (W, "CRV_Boxcar_Rouge CRV_Boxcar", False),
        (W, "CRV_Boxcar_Rouge CRV_Boxcar", False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
    ], True, "quoted engine file name with a blank, exists"),
    con("CRV_Mixed_Goods.con", "Mixed goods 66", 26.82200, [
        (E, '"CRV_Class66" "CRV_Class66"', False),
        (W, '"CRV_Hopper" CRV_Hopper', False),
        (W, "crv_hopper_empty CRV_HOPPER", False),
        (W, "crv_tanker crv_tanker", False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
    ], True, "optional quotes around names without blanks, mixed case; all exist"),
    con("Navette voyageurs.con", "Navette voyageurs", 38.88900, [
        (E, "CRV_BB7200 CRV_BB7200", False),
        (W, '"Coach B" "CRV Coach Set"', False),
        (W, '"Coach A" "CRV Coach Set"', True),
        (E, "CRV_BB7200 CRV_BB7200", True),
    ], True, "two engines, flipped vehicles (Flip ( )); all exist"),
    # ---- invalid ---------------------------------------------------------
    con("CRV_66_Green.con", "Aggregates 66 green", 33.52800, [
        (E, "CRV_Class66_Green CRV_Class66", False),
        (W, "CRV_Hopper CRV_Hopper", False),
        (W, "CRV_Hopper CRV_Hopper", False),
    ], False, "missing engine: CRV_Class66/CRV_Class66_Green.eng "
              "(folder exists, file does not)"),
    con("CRV_Covered_Hoppers.con", "Covered hoppers", 33.52800, [
        (E, "CRV_Class66 CRV_Class66", False),
        (W, "CRV_Hopper_Covered CRV_Hopper", False),
        (W, "CRV_Hopper CRV_Hopper", False),
    ], False, "missing wagon: CRV_Hopper/CRV_Hopper_Covered.wag "
              "(folder exists, file does not)"),
    con("CRV_Flatcar_Rare.con", "Flatcar rare", 22.35200, [
        (E, "CRV_Class66 CRV_Class66", False),
        (W, "CRV_Flatcar CRV_Flatcar", False),
        (W, "CRV_Flatcar CRV_Flatcar", False),
    ], False, "missing folder: TRAINSET/CRV_Flatcar does not exist"),
    con("CRV_Shunting.con", "Shunting 66", 8.94100, [
        (E, "CRV_Class66", False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
    ], False, "unsound line: EngineData ( CRV_Class66 ) has no folder"),
    con("Fret de nuit.con", "Fret de nuit", 27.77800, [
        (E, '"BB7200 Fret CRV_BB7200', False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
    ], False, "unsound line: EngineData ( \"BB7200 Fret CRV_BB7200 ) "
              "has an unclosed quote"),
    con("Night Mail 2.con", "Night Mail 2", 33.52800, [
        (E, "CRV_Class66_Blue CRV_Class66", False),
        (W, '"Coach C" "CRV Coach Set"', False),
        (W, '"Brake Van" "CRV Coach Set"', False),
    ], False, "missing wagon with blanks: \"CRV Coach Set\"/\"Coach C.wag\""),
    con("Rapide des Vosges.con", "Rapide des Vosges", 44.44400, [
        (E, "CRV_BB7200 CRV_BB7200", False),
        (W, '"Coach A" "CRV Coach Set"', False),
        (W, '"Voiture Lit" "CRV Coach Set"', False),
        (W, '"Brake Van" "CRV Coach Set"', False),
    ], False, "UTF-16 LE with BOM; missing wagon \"CRV Coach Set\"/\"Voiture Lit.wag\"",
        encoding="utf-16"),
    con("CRV_Gas_Tanks.con", "Gas tanks 66", 26.82200, [
        (E, "CRV_Class66 CRV_Class66", False),
        (W, "crv_tanker crv_tanker", False),
        (W, "crv_tanker_lpg crv_tanker", False),
    ], False, "READ-ONLY file (mode 0444); missing wagon crv_tanker/crv_tanker_lpg.wag",
        read_only=True),
    con("CRV_Relief_Engine.con", "Relief engine", 33.52800, [
        (E, '"" CRV_Class66', False),
        (W, "CRV_Hopper CRV_Hopper", False),
    ], False, "unsound line: EngineData ( \"\" CRV_Class66 ) has an empty file name"),
    con("CRV_Works_Train.con", "Works train", 17.88100, [
        (E, "CRV_Hopper CRV_Hopper", False),
        (W, "CRV_Boxcar CRV_Boxcar", False),
    ], False, "missing engine: CRV_Hopper/CRV_Hopper.eng (only CRV_Hopper.wag "
              "exists; EngineData names a .eng file)"),
]

# Sub-folder copy and stray files in TRAINS/CONSISTS (what the clean-up removes).
BACKUP_COPY_OF = "CRV_Flatcar_Rare.con"


def consist_text(c):
    out = [HEADER, "", "Train (",
           f"\tTrainCfg ( \"{c['display']}\"",
           f"\t\tName ( \"{c['display']}\" )",
           "\t\tSerial ( 1 )",
           f"\t\tMaxVelocity ( {c['velocity']:.5f} 0.10000 )",
           f"\t\tNextWagonUID ( {len(c['vehicles'])} )",
           "\t\tDurability ( 1.00000 )"]
    for uid, (kind, args, flip) in enumerate(c["vehicles"]):
        out.append(f"\t\t{kind} (")
        if kind == E:
            if flip:
                out.append("\t\t\tFlip ( )")
            out.append(f"\t\t\tUiD ( {uid} )")
            out.append(f"\t\t\tEngineData ( {args} )")
        else:
            if flip:
                out.append("\t\t\tFlip ( )")
            out.append(f"\t\t\tWagonData ( {args} )")
            out.append(f"\t\t\tUiD ( {uid} )")
        out.append("\t\t)")
    out += ["\t)", ")", ""]
    return "\r\n".join(out)


def encode(text, encoding):
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    if encoding == "utf-16":
        return b"\xff\xfe" + text.encode("utf-16-le")
    return text.encode("ascii")


# --------------------------------------------------------------------------
# Independent check of the expectations against the generated tree.
# --------------------------------------------------------------------------

def split_args(args):
    """Return the names on a vehicle line, or None when it cannot be taken apart."""
    names, i = [], 0
    while i < len(args):
        ch = args[i]
        if ch.isspace():
            i += 1
        elif ch == '"':
            end = args.find('"', i + 1)
            if end < 0:
                return None
            names.append(args[i + 1:end])
            i = end + 1
        else:
            end = i
            while end < len(args) and not args[end].isspace() and args[end] != '"':
                end += 1
            names.append(args[i:end])
            i = end
    if len(names) != 2 or any(not n for n in names):
        return None
    return names


def find_nocase(folder, name):
    if not os.path.isdir(folder):
        return None
    for entry in sorted(os.listdir(folder)):
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return None


def check(out):
    trainset = os.path.join(out, "TRAINS", "TRAINSET")
    for c in CONSISTS:
        ok = True
        for kind, args, _ in c["vehicles"]:
            names = split_args(args)
            if names is None:
                ok = False
                break
            folder = find_nocase(trainset, names[1])
            ext = ".eng" if kind == E else ".wag"
            vehicle = find_nocase(folder, names[0] + ext) if folder else None
            if vehicle is None or not os.path.isfile(vehicle):
                ok = False
                break
        if ok != c["valid"]:
            sys.exit(f"make-demo: expectation wrong for {c['file']}")


# --------------------------------------------------------------------------
# README-demo.txt
# --------------------------------------------------------------------------

def readme_text():
    n_valid = sum(1 for c in CONSISTS if c["valid"])
    n_invalid = len(CONSISTS) - n_valid
    w = max(len(c["file"]) for c in CONSISTS)
    lines = [
        "Corvanel demo game folder",
        "=========================",
        "",
        "Invented content, made by scripts/make-demo.py for Corvanel's tests and",
        "screenshots. Regenerate it with:  python3 scripts/make-demo.py",
        "",
        "The folder is recognised as a game folder by train.exe and launcher.exe",
        "(both are small text placeholders, not programs).",
        "",
        "Rolling stock (TRAINS/TRAINSET):",
    ]
    for folder in sorted(TRAINSET, key=str.lower):
        files = ", ".join(f for f, _ in TRAINSET[folder])
        lines.append(f"  {folder}/: {files}")
    lines += [
        "",
        f"Expected scan of TRAINS/CONSISTS: {len(CONSISTS)} consists, "
        f"{n_valid} valid, {n_invalid} invalid.",
        "Every command examines the files directly in TRAINS/CONSISTS whose",
        "name ends in .con in any letter case, as the game loads them (all 20",
        "here, Legacy.CON among them). Vehicle names in consists are matched",
        "without regard to letter case; backup/ and the stray files are not",
        "scanned.",
        "",
        "Format of the table: STATUS | file name | display name | reason",
        "",
    ]
    for valid in (True, False):
        for c in CONSISTS:
            if c["valid"] != valid:
                continue
            status = "VALID  " if valid else "INVALID"
            lines.append(f"{status} | {c['file']:<{w}} | {c['display']} | {c['why']}")
    ro = [c["file"] for c in CONSISTS if c["read_only"]]
    u16 = [c["file"] for c in CONSISTS if c["encoding"] == "utf-16"]
    lines += [
        "",
        "Special files:",
        f"  Read-only (chmod 0444, set by the script; git does not keep it, so",
        f"  run the script after a checkout): {', '.join(ro)}",
        f"  UTF-16 LE with byte-order mark FF FE: {', '.join(u16)}",
        "  All other consists are ASCII. Every consist uses CR LF line ends and",
        "  tabs for indentation.",
        "  Upper-case extension: Legacy.CON (valid; examined like the others; kept by the clean-up).",
        "",
        "Stray entries in TRAINS/CONSISTS, removed by the clean-up:",
        "  readme.txt",
        "  Old freight.con.bak",
        "  thumbs.db",
        f"  backup/  (sub-folder holding backup/{BACKUP_COPY_OF}, a copy of the",
        "           invalid consist of that name)",
        f"After the clean-up TRAINS/CONSISTS holds exactly the {len(CONSISTS)} consists above.",
        "",
    ]
    return "\n".join(lines)


# --------------------------------------------------------------------------
# Writing
# --------------------------------------------------------------------------

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(path, "wb") as f:
        f.write(data)


def remove_tree(path):
    def make_writable_and_retry(func, p, *_):
        os.chmod(p, stat.S_IWRITE | stat.S_IREAD | stat.S_IEXEC)
        func(p)
    if sys.version_info >= (3, 12):
        shutil.rmtree(path, onexc=make_writable_and_retry)
    else:
        shutil.rmtree(path, onerror=make_writable_and_retry)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "demo"),
                        help="folder to (re)create (default: demo/ in the repository)")
    out = os.path.abspath(parser.parse_args().out)

    # Wipe only an empty folder or an earlier demo folder, never anything else.
    if os.path.isdir(out) and os.listdir(out):
        if not os.path.isfile(os.path.join(out, "README-demo.txt")):
            sys.exit(f"make-demo: {out} is not empty and is not a demo folder; refusing")
    if os.path.isdir(out):
        remove_tree(out)
    os.makedirs(out)

    # git must leave the bytes alone (CR LF, UTF-16).
    write(os.path.join(out, ".gitattributes"), "* -text\n".encode("ascii"))
    # Git keeps no read-only mode: the program's --demo copy applies this list.
    write(os.path.join(out, ".demo-attributes"),
          "".join(f"readonly TRAINS/CONSISTS/{c['file']}\n" for c in CONSISTS if c["read_only"]).encode("ascii"))
    for exe in ("train.exe", "launcher.exe"):
        write(os.path.join(out, exe),
              f"Corvanel demo placeholder for {exe} - not a program.\r\n")

    trainset = os.path.join(out, "TRAINS", "TRAINSET")
    for folder, files in TRAINSET.items():
        for name, text in files:
            write(os.path.join(trainset, folder, name), text.replace("\n", "\r\n"))

    consists = os.path.join(out, "TRAINS", "CONSISTS")
    for c in CONSISTS:
        write(os.path.join(consists, c["file"]), encode(consist_text(c), c["encoding"]))

    # Stray entries.
    write(os.path.join(consists, "readme.txt"),
          "Notes for the demo route.\r\nThis is not a consist; the clean-up removes it.\r\n")
    old = con("Old freight.con.bak", "Old freight", 22.35200, [
        (E, "CRV_Class47 CRV_Class47", False),
        (W, "CRV_Hopper CRV_Hopper", False),
    ], False, "")
    write(os.path.join(consists, "Old freight.con.bak"), encode(consist_text(old), "ascii"))
    write(os.path.join(consists, "thumbs.db"),
          b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"Corvanel demo placeholder" + bytes(31))
    source = next(c for c in CONSISTS if c["file"] == BACKUP_COPY_OF)
    write(os.path.join(consists, "backup", BACKUP_COPY_OF),
          encode(consist_text(source), source["encoding"]))

    write(os.path.join(out, "README-demo.txt"), readme_text())

    check(out)

    # Fixed times, then the read-only mode.
    for dirpath, dirnames, filenames in os.walk(out, topdown=False):
        for name in filenames + dirnames:
            os.utime(os.path.join(dirpath, name), (FIXED_TIME, FIXED_TIME))
    os.utime(out, (FIXED_TIME, FIXED_TIME))
    for c in CONSISTS:
        if c["read_only"]:
            os.chmod(os.path.join(consists, c["file"]), 0o444)

    print(f"make-demo: wrote {out} ({len(CONSISTS)} consists, "
          f"{sum(not c['valid'] for c in CONSISTS)} invalid)")


if __name__ == "__main__":
    main()
