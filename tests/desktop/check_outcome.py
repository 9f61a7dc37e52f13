"""What the desktop tests' checks (install_check.py, package_check.py,
process_ownership_check.py) share: their command line, described by their own docstring,
and their outcome, each problem found printed as a failure, or their verdict when there
is none."""

import argparse
import sys


def argument_parser(doc):
    """A command line whose help is the check's docstring, as written."""
    return argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)


def outcome(problems, verdict):
    """Prints each problem as a failure (standard error), or `verdict` when there is none;
    the check's exit status."""
    for problem in problems:
        print("FAILED: " + problem, file=sys.stderr)
    if not problems:
        print(verdict)
    return 1 if problems else 0
