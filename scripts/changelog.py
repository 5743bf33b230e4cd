#!/usr/bin/env python3
"""Writes the Debian changelog of the package from the version history the
program ships (doc/history-en.html), so the two never tell different stories.

Usage: changelog.py HISTORY.html VERSION OUTPUT
The current edition is dated from SOURCE_DATE_EPOCH when set (reproducible
builds), else from now; earlier releases, known by their year only, on the
first of January of that year.
"""
import calendar
import html
import os
import re
import sys
import textwrap
import time

MAINTAINER = "Corvanel <corvanel@example.org>"


def texte(fragment):
    return " ".join(html.unescape(re.sub(r"<[^>]+>", "", fragment)).split())


def sections(page):
    for bloc in re.findall(r'<section class="version">(.*?)</section>', page, re.S):
        titre = re.search(r"<h2[^>]*>(.*?)</h2>", bloc, re.S).group(1)
        annee = re.search(r'<span class="date">\s*(\d{4})\s*</span>', titre)
        points = [texte(li) for li in re.findall(r"<li>(.*?)</li>", bloc, re.S)]
        yield (int(annee.group(1)) if annee else None), texte(re.sub(r"<span.*?</span>", "", titre)), points


def puces(points):
    lignes = []
    for p in points:
        lignes += textwrap.wrap(p, 76, initial_indent="  * ", subsequent_indent="    ",
                                break_on_hyphens=False, break_long_words=False)
    return lignes


def main(historique, version, sortie):
    with open(historique, encoding="utf-8") as f:
        versions = list(sections(f.read()))
    maintenant = int(os.environ.get("SOURCE_DATE_EPOCH", time.time()))
    entrees = []
    # The current edition has no year of its own: it is this version, and the
    # release of the same number that it continues is told inside its entry.
    actuelle = [v for v in versions if v[0] is None]
    anciennes = [v for v in versions if v[0] is not None]
    corps = []
    for _, titre, points in actuelle:
        corps += puces(points)
    for annee, titre, points in [v for v in anciennes if v[1].split()[0] == version]:
        corps += ["", f"  [ {version} ({annee}) ]"] + puces(points)
    entrees.append((version, corps, maintenant))
    for annee, titre, points in anciennes:
        numero = titre.split()[0]
        if numero == version:
            continue
        entrees.append((numero, puces(points), calendar.timegm((annee, 1, 1, 12, 0, 0))))
    with open(sortie, "w", encoding="utf-8") as f:
        textes = []
        for numero, corps, quand in entrees:
            textes.append(f"corvanel ({numero}) unstable; urgency=low\n\n" + "\n".join(corps) +
                          f"\n\n -- {MAINTAINER}  {time.strftime('%a, %d %b %Y %H:%M:%S +0000', time.gmtime(quand))}\n")
        f.write("\n".join(textes))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
