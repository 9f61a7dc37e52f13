#!/usr/bin/env python3
"""`make package`'s step (cpack -G DEB) on the test's own build folder: the package of
the program as built there (a Debug build under make test, stripped by the packaging)
must hold what make install puts under /usr, plus the copyright and the changelog, carry
the fields of a Debian package with its dependencies computed from the libraries the
program links and on the fonts its forms are laid out for, and have no error for
lintian. The packaged program, shown with no fonts but those of the packages it depends
on, must fit its options dialog's texts in their controls (packaged_fonts.py). With
--hardened (a Release build, as make package builds it), hardening-check must find every
protection Debian's build flags give.

    package_check.py --build-dir BUILD --source-dir SOURCE --artifacts FOLDER [--hardened]"""

import gzip
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

from check_outcome import argument_parser, outcome
from install_check import METAINFO, check_tree, latest_release, missing_tools
from packaged_fonts import check_fonts_fit

PACKAGE_TOOLS = {"dpkg-deb": "dpkg", "dpkg-shlibdeps": "dpkg-dev", "lintian": "lintian", "cpack": "cmake",
                 "hardening-check": "devscripts"}
# The libraries the program links, as the packages that hold them, and the forms' fonts.
EXPECTED_DEPENDENCIES = ("libc6", "libgtk-3-0", "libjpeg62-turbo", "libpng16-16", "libcairo2", "libpango-1.0-0",
                         "fonts-dejavu-extra")


def run(argv, **options):
    return subprocess.run(argv, capture_output=True, text=True, timeout=300, **options)


def fields(control_text):
    """The fields of a control file (continuation lines joined with line feeds)."""
    found, name = {}, None
    for line in control_text.splitlines():
        if line.startswith((" ", "\t")) and name:
            found[name] += "\n" + line.strip()
        elif ":" in line:
            name, value = line.split(":", 1)
            found[name.strip()] = value.strip()
    return found


def dependency_names(depends):
    return {re.split(r"[\s(]", alternative.strip(), maxsplit=1)[0]
            for clause in depends.split(",") for alternative in clause.split("|") if alternative.strip()}


def changelog_version(path):
    with gzip.open(path, "rt", encoding="utf-8") as changelog:
        match = re.match(r"orvalis \(([^)]+)\)", changelog.readline())
    return match.group(1) if match else None


def check(build_dir, source_dir, artifacts, hardened):
    missing = sorted({package for tool, package in PACKAGE_TOOLS.items() if not shutil.which(tool)})
    if missing:
        return [f"missing package(s) {' '.join(missing)}: install them with scripts/ensure-deps.sh (as root) "
                f"or apt-get install -y {' '.join(missing)}"]
    problems = missing_tools()
    if problems:
        return problems
    with tempfile.TemporaryDirectory(prefix="orvalis-package-") as folder:
        folder = pathlib.Path(folder)
        packed = run(["cpack", "-G", "DEB", "--config", str(build_dir / "CPackConfig.cmake"), "-B", str(folder)])
        debs = list(folder.glob("*.deb"))
        if packed.returncode != 0 or len(debs) != 1:
            return [f"cpack -G DEB made {[deb.name for deb in debs]}:\n{packed.stdout}{packed.stderr}"]
        deb = debs[0]
        print(f"package: {deb.name}", flush=True)

        info = run(["dpkg-deb", "-f", str(deb)])
        control = fields(info.stdout)
        architecture = run(["dpkg", "--print-architecture"]).stdout.strip()
        version = latest_release(source_dir / "app" / METAINFO)
        expected = {"Package": "orvalis", "Version": version, "Architecture": architecture, "Section": "graphics",
                    "Priority": "optional"}
        for name, value in expected.items():
            if control.get(name) != value:
                problems.append(f"the package's {name} is {control.get(name)!r}, expected {value!r}")
        if deb.name != f"orvalis_{version}_{architecture}.deb":
            problems.append(f"the package file is named {deb.name}")
        if not re.fullmatch(r".+ <[^@\s]+@[^@\s]+>", control.get("Maintainer", "")):
            problems.append(f"the package's Maintainer {control.get('Maintainer')!r} is no name and address")
        description = control.get("Description", "").split("\n")
        if len(description) < 2 or "perspective" not in description[0]:
            problems.append(f"the package's Description has no summary and text: {description}")
        depends = dependency_names(control.get("Depends", ""))
        for package in EXPECTED_DEPENDENCIES:
            if package not in depends:
                problems.append(f"the package does not depend on {package} (Depends: {control.get('Depends')!r})")
        listing = run(["dpkg-deb", "-I", str(deb)]).stdout
        if "md5sums" not in listing:
            problems.append("the package has no md5sums:\n" + listing)

        root = folder / "root"
        extracted = run(["dpkg-deb", "-x", str(deb), str(root)])
        if extracted.returncode != 0:
            return problems + [f"dpkg-deb -x failed: {extracted.stderr}"]
        problems += check_tree(root / "usr")
        outside = sorted(str(path.relative_to(root)) for path in root.rglob("*")
                         if path.is_file() and not path.relative_to(root).parts[0] == "usr")
        if outside:
            problems.append(f"the package puts files outside /usr: {outside}")
        documents = root / "usr/share/doc/orvalis"
        if not (documents / "copyright").is_file():
            problems.append("the package has no usr/share/doc/orvalis/copyright")
        if not (documents / "changelog.gz").is_file() or changelog_version(documents / "changelog.gz") != version:
            problems.append(f"usr/share/doc/orvalis/changelog.gz is missing or does not start with version {version}")
        program = root / "usr/bin/orvalis"
        if program.is_file() and ".debug_info" in run(["readelf", "-S", str(program)]).stdout:
            problems.append("the program in the package is not stripped")

        if program.is_file():
            problems += check_fonts_fit(program, depends, folder, artifacts)
        if hardened:
            # What Debian 12's dpkg-buildflags gives: not control-flow protection, which came later.
            checked = run(["hardening-check", "--nocfprotection", str(program)])
            print(checked.stdout.strip(), flush=True)
            if checked.returncode != 0:
                problems.append("hardening-check finds protections missing:\n" + checked.stdout + checked.stderr)

        # lintian's own temporary files go in the test's folder, removed with it.
        linted = run(["lintian", "--tag-display-limit", "0", str(deb)], env=dict(os.environ, TMPDIR=str(folder)))
        errors = [line for line in linted.stdout.splitlines() if line.startswith("E:")]
        print("lintian:\n" + (linted.stdout.strip() or "  (nothing to say)"), flush=True)
        if errors or linted.returncode not in (0, 1) or "E:" in linted.stderr:
            problems.append("lintian reports errors:\n" + "\n".join(errors) + linted.stderr)
    return problems


def main():
    parser = argument_parser(__doc__)
    parser.add_argument("--build-dir", required=True, type=pathlib.Path)
    parser.add_argument("--source-dir", required=True, type=pathlib.Path)
    parser.add_argument("--artifacts", required=True, type=pathlib.Path)
    parser.add_argument("--hardened", action="store_true")
    options = parser.parse_args()
    options.artifacts.mkdir(parents=True, exist_ok=True)
    problems = check(options.build_dir, options.source_dir, options.artifacts, options.hardened)
    return outcome(problems, "package: its contents, its fields and lintian are as expected")


if __name__ == "__main__":
    sys.exit(main())
